// The library speaks in byte offsets of the map's UTF-8 text; the editor in indices of the
// JavaScript string (UTF-16 code units). Maps are nearly always ASCII, where the two agree: the
// index keeps only the code points beyond ASCII, where they part, and converts by a binary
// search over them.

export class ByteIndex {
  /** For each code point beyond ASCII, in order: its string index, byte offset, units, bytes. */
  readonly #index: number[] = [];
  readonly #byte: number[] = [];
  readonly #units: number[] = [];
  readonly #size: number[] = [];
  readonly length: number;
  readonly byteLength: number;

  constructor(text: string) {
    let byte = 0;
    let last = 0;
    // The first character beyond ASCII, found by the regular expression engine, which is many
    // times quicker than a loop here over a large map's million characters.
    const first = text.search(/[^\0-\x7f]/);
    for (let i = first < 0 ? text.length : first; i < text.length; ++i) {
      const unit = text.charCodeAt(i);
      if (unit < 0x80) continue;
      byte += i - last;
      const pair =
        unit >= 0xd800 && unit <= 0xdbff && i + 1 < text.length && (text.charCodeAt(i + 1) & 0xfc00) === 0xdc00;
      const units = pair ? 2 : 1;
      // A lone surrogate is encoded as U+FFFD, three bytes.
      const size = pair ? 4 : unit < 0x800 ? 2 : 3;
      this.#index.push(i);
      this.#byte.push(byte);
      this.#units.push(units);
      this.#size.push(size);
      byte += size;
      i += units - 1;
      last = i + 1;
    }
    this.length = text.length;
    this.byteLength = byte + (text.length - last);
  }

  /** True when every character is ASCII, so bytes and indices agree. */
  get ascii(): boolean {
    return this.#index.length === 0;
  }

  /** The string index of a byte offset; an offset inside a character gives that character's start. */
  toIndex(byte: number): number {
    const k = ByteIndex.#lastAtOrBefore(this.#byte, byte);
    if (k < 0) return Math.min(byte, this.length);
    const start = this.#byte[k]!;
    if (byte < start + this.#size[k]!) return this.#index[k]!;
    return Math.min(this.#index[k]! + this.#units[k]! + (byte - start - this.#size[k]!), this.length);
  }

  /** The byte offset of a string index; an index between the halves of a pair gives the pair's start. */
  toByte(index: number): number {
    const k = ByteIndex.#lastAtOrBefore(this.#index, index);
    if (k < 0) return Math.min(index, this.byteLength);
    const start = this.#index[k]!;
    if (index < start + this.#units[k]!) return this.#byte[k]!;
    return Math.min(this.#byte[k]! + this.#size[k]! + (index - start - this.#units[k]!), this.byteLength);
  }

  /** The last position of `sorted` whose value is at most `value`, or -1. */
  static #lastAtOrBefore(sorted: number[], value: number): number {
    let low = 0;
    let high = sorted.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (sorted[middle]! <= value) low = middle + 1;
      else high = middle;
    }
    return low - 1;
  }
}
