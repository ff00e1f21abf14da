// Where the map lies on the canvas: `scale` CSS pixels a square, and the map point (in squares,
// fractions allowed) at the canvas's top-left corner. Square (x, y) covers the canvas pixels
// from ((x - left) * scale, (y - top) * scale), `scale` wide and high. Pure arithmetic, kept
// apart from the drawing so that it can be tested alone.

export interface Square {
  x: number;
  y: number;
}

/** Squares from (x0, y0) to (x1, y1), both excluded at the far end. */
export interface SquareRange {
  x0: number;
  y0: number;
  x1: number;
  y1: number;
}

export const MIN_SCALE = 1 / 8;
export const MAX_SCALE = 96;

export class Viewport {
  scale = 8;
  left = 0;
  top = 0;
  /** The canvas's size in CSS pixels. */
  width = 0;
  height = 0;

  resize(width: number, height: number): void {
    this.width = width;
    this.height = height;
  }

  /** The square under a canvas point (it may lie outside the map). */
  squareAt(px: number, py: number): Square {
    return { x: Math.floor(this.left + px / this.scale), y: Math.floor(this.top + py / this.scale) };
  }

  /** The canvas point of a map point (a square's top-left corner for whole numbers). */
  toCanvas(x: number, y: number): { px: number; py: number } {
    return { px: (x - this.left) * this.scale, py: (y - this.top) * this.scale };
  }

  /** The squares of a `mapWidth` by `mapHeight` map that show on the canvas, wholly or partly. */
  visible(mapWidth: number, mapHeight: number): SquareRange {
    const clamp = (v: number, high: number): number => Math.min(Math.max(v, 0), high);
    return {
      x0: clamp(Math.floor(this.left), mapWidth),
      y0: clamp(Math.floor(this.top), mapHeight),
      x1: clamp(Math.ceil(this.left + this.width / this.scale), mapWidth),
      y1: clamp(Math.ceil(this.top + this.height / this.scale), mapHeight),
    };
  }

  /** Zooms by `factor` about a canvas point, which keeps showing the same map point. */
  zoomAt(px: number, py: number, factor: number): void {
    const scale = Math.min(Math.max(this.scale * factor, MIN_SCALE), MAX_SCALE);
    const mapX = this.left + px / this.scale;
    const mapY = this.top + py / this.scale;
    this.scale = scale;
    this.left = mapX - px / scale;
    this.top = mapY - py / scale;
  }

  /** Moves the map by a canvas distance (dragging right shows what lies left). */
  panBy(dx: number, dy: number): void {
    this.left -= dx / this.scale;
    this.top -= dy / this.scale;
  }

  /** The whole map in view, centred, with a small margin. */
  fit(mapWidth: number, mapHeight: number): void {
    const fitted = Math.min(this.width / (mapWidth + 2), this.height / (mapHeight + 2));
    this.scale = Math.min(Math.max(fitted, MIN_SCALE), MAX_SCALE);
    this.centreOn(mapWidth / 2, mapHeight / 2);
  }

  /** Puts a map point at the canvas's centre. */
  centreOn(x: number, y: number): void {
    this.left = x - this.width / 2 / this.scale;
    this.top = y - this.height / 2 / this.scale;
  }

  /** Pans just enough that the rectangle of squares shows whole, when it fits; else centres it. */
  reveal(left: number, top: number, right: number, bottom: number): void {
    const columns = this.width / this.scale;
    const rows = this.height / this.scale;
    if (right + 1 - left > columns || bottom + 1 - top > rows) {
      this.centreOn((left + right + 1) / 2, (top + bottom + 1) / 2);
      return;
    }
    if (left < this.left) this.left = left;
    else if (right + 1 > this.left + columns) this.left = right + 1 - columns;
    if (top < this.top) this.top = top;
    else if (bottom + 1 > this.top + rows) this.top = bottom + 1 - rows;
  }

  /** Keeps at least a quarter of the canvas on the map, so that it cannot be lost off-screen. */
  keepInReach(mapWidth: number, mapHeight: number): void {
    const columns = this.width / this.scale;
    const rows = this.height / this.scale;
    this.left = Math.min(Math.max(this.left, -columns * 0.75), mapWidth - columns * 0.25);
    this.top = Math.min(Math.max(this.top, -rows * 0.75), mapHeight - rows * 0.25);
  }
}
