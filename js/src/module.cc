// The WebAssembly module: the C interface (tunnelsmith_c.h) alone. Its functions come from the
// tunnelsmith_c library, kept by the link's list of exported functions; nothing else is needed
// here.
