// A map file's line breaks. Inside Studio a map's text always has "\n" alone between lines: the
// text pane (CodeMirror) keeps its document so, and the checker, the outline, the edit engine
// and every offset they give work on that same text, so their positions agree with the pane's.
// The file's own line break is remembered when the map is opened and put back wherever the text
// leaves the page: when it is saved, kept for a restore and built.

export type LineBreak = "\n" | "\r\n";

/**
 * The line break a file is written with: "\r\n" when most of its line breaks are CR LF, else
 * "\n" (a file that mixes the two is saved with the one it mostly has).
 */
export function lineBreakOf(text: string): LineBreak {
  let lf = 0;
  let crlf = 0;
  for (let at = text.indexOf("\n"); at >= 0; at = text.indexOf("\n", at + 1)) {
    if (at > 0 && text.charCodeAt(at - 1) === 13) ++crlf;
    else ++lf;
  }
  return crlf > lf ? "\r\n" : "\n";
}

/** The text as the page holds it: every CR LF, and every CR alone (as the text pane reads it), a LF. */
export function pageText(text: string): string {
  return text.includes("\r") ? text.replace(/\r\n?/g, "\n") : text;
}

/** The page's text written with the file's line break. */
export function fileText(text: string, lineBreak: LineBreak): string {
  return lineBreak === "\n" ? text : text.replace(/\n/g, lineBreak);
}
