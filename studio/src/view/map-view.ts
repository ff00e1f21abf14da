// The map canvas. The ground (every square's colour) is a bitmap of one pixel a square, made once
// for each version of the map and each choice of the terrain and ownership layers; a frame draws
// only the part of it that shows, scaled, and then the marks of the squares that show (room
// frames, placements, hearts, gates, areas, diagnostics, the selection). So a 1000 by 1000 map
// costs one image copy and a few visible marks a frame, at every zoom.
//
// Mouse: the wheel zooms about the pointer, dragging pans, a click picks what stands on the
// square. Keyboard (the canvas takes focus): arrows move the square cursor, Shift+arrows pan,
// + and - zoom, 0 shows the whole map, Enter picks what stands under the cursor.
import type { Diagnostic } from "tunnelsmith";

import type { Entity, MapModel, Rect } from "../model/map-model";
import { abbreviations } from "./abbreviations";
import { Layers, detailAt, pick, squareColour } from "./layers";
import { Palette, type Rgb, areaOutline, gateOutline, markerEdge, ownerHue } from "./palette";
import { Viewport, type Square, type SquareRange } from "./viewport";

/** Placements in view beyond which they are drawn as dots from a bitmap rather than one by one. */
const MARKS_DRAWN_ONE_BY_ONE = 4000;

export interface MapViewEvents {
  /** The square under the pointer or the keyboard cursor changed (null: off the map). */
  hover(square: Square | null): void;
  /** A square was clicked or chosen with Enter: the entity picked there, if any. */
  choose(square: Square, entity: Entity | null): void;
}

/**
 * A drawing tool's hold on the canvas. `down` is asked first when the main button is pressed on
 * a square (or Enter pressed on the keyboard cursor's square): true takes the gesture, which
 * then moves and ends on squares (which may lie off the map); "done" is a tool's whole action
 * (a click that places something); false leaves it to panning and picking.
 */
export interface ToolHooks {
  down(square: Square, keyboard: boolean): boolean | "done";
  move(square: Square): void;
  up(square: Square): void;
  /** Delete or Backspace on the canvas. */
  remove(): void;
}

export interface Theme {
  background: Rgb;
  selection: string;
  hover: string;
  error: string;
  warning: string;
}

const css = (c: Rgb, alpha = 1): string =>
  alpha === 1 ? `rgb(${c[0]},${c[1]},${c[2]})` : `rgba(${c[0]},${c[1]},${c[2]},${alpha})`;

export class MapView {
  readonly viewport = new Viewport();
  readonly layers = new Layers();
  readonly canvas: HTMLCanvasElement;
  readonly #context: CanvasRenderingContext2D;
  readonly #palette: Palette;
  readonly #events: MapViewEvents;
  #theme: Theme;
  #model: MapModel | null = null;
  #ground: HTMLCanvasElement | null = null;
  #groundKey = "";
  #frame = 0;
  /** Rectangles of squares to highlight: the entity or square at the text's cursor. */
  #selection: Rect[] = [];
  #cursor: Square | null = null;
  /** The placements as dots, for views with too many to draw one by one. */
  #dots: { model: MapModel; key: string; canvas: HTMLCanvasElement } | null = null;
  /** The drawing tool, and the outline of what it is about to draw. */
  tool: ToolHooks | null = null;
  #preview: Rect | null = null;
  /** Milliseconds the last frame took to draw. */
  lastFrame = 0;
  #newModel = false;

  /** Each creature, object, door and trap kind's two letters, drawn on its mark at high zoom. */
  readonly #labels: Map<string, string>;

  constructor(
    canvas: HTMLCanvasElement,
    palette: Palette,
    theme: Theme,
    events: MapViewEvents,
    kinds: readonly (readonly string[])[] = [],
  ) {
    this.#labels = new Map(kinds.flatMap((names) => [...abbreviations(names)]));
    this.canvas = canvas;
    this.#context = canvas.getContext("2d", { alpha: false })!;
    this.#palette = palette;
    this.#theme = theme;
    this.#events = events;
    this.#listen();
    new ResizeObserver(() => this.#resize()).observe(canvas);
    this.#resize();
  }

  get model(): MapModel | null {
    return this.#model;
  }

  /** A new analysis of the map. `fit`: show the whole map (a map just opened). */
  setModel(model: MapModel, fit: boolean): void {
    const sameGrid =
      sameTerrain(this.#model?.outline.grid.terrain, model.outline.grid.terrain) && this.#model?.width === model.width;
    this.#model = model;
    this.#newModel = true;
    if (!sameGrid) this.#ground = null;
    if (fit) this.viewport.fit(model.width, model.height);
    this.redraw();
  }

  setTheme(theme: Theme): void {
    this.#theme = theme;
    this.#ground = null;
    this.redraw();
  }

  setSelection(rects: Rect[], reveal: boolean): void {
    this.#selection = rects;
    if (reveal && rects.length > 0) {
      const r = rects[0]!;
      this.viewport.reveal(r.left, r.top, r.right, r.bottom);
    }
    this.redraw();
  }

  /** Outlines the squares a tool is about to change (null: none). */
  setPreview(rect: Rect | null): void {
    this.#preview = rect;
    this.redraw();
  }

  /**
   * Shows squares painted with a terrain at once, before the text's next analysis: in the model's
   * grid (which that analysis replaces) and in the ground bitmap.
   */
  paint(squares: readonly Square[], code: number): void {
    const model = this.#model;
    const terrain = model?.outline.grid.terrain;
    if (!model || !terrain) return;
    const context = this.#ground?.getContext("2d") ?? null;
    if (context) context.fillStyle = css(squareColour(this.#palette, code, this.layers, this.#theme.background));
    for (const { x, y } of squares) {
      if (x < 0 || y < 0 || x >= model.width || y >= model.height) continue;
      terrain[y * model.width + x] = code;
      context?.fillRect(x, y, 1, 1);
    }
    this.redraw();
  }

  /** Layers changed: the ground is made again if its colours depend on them. */
  layersChanged(): void {
    if (this.layers.groundKey !== this.#groundKey) this.#ground = null;
    this.redraw();
  }

  zoom(factor: number): void {
    const anchor = this.#cursor
      ? this.viewport.toCanvas(this.#cursor.x + 0.5, this.#cursor.y + 0.5)
      : { px: this.viewport.width / 2, py: this.viewport.height / 2 };
    this.viewport.zoomAt(anchor.px, anchor.py, factor);
    this.redraw();
  }

  fit(): void {
    if (this.#model) this.viewport.fit(this.#model.width, this.#model.height);
    this.redraw();
  }

  /** Draws at the next animation frame (once, however often it is asked). */
  redraw(): void {
    if (this.#frame !== 0) return;
    this.#frame = requestAnimationFrame(() => {
      this.#frame = 0;
      this.draw();
    });
  }

  /** Draws now. */
  draw(): void {
    const started = performance.now();
    const ctx = this.#context;
    const ratio = window.devicePixelRatio || 1;
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    ctx.fillStyle = css(this.#theme.background);
    ctx.fillRect(0, 0, this.viewport.width, this.viewport.height);
    const model = this.#model;
    if (model && model.width > 0 && model.outline.grid?.terrain) {
      if (this.viewport.width > 0) this.viewport.keepInReach(model.width, model.height);
      this.#drawGround(model);
      const detail = detailAt(this.viewport.scale);
      if (detail.frames && this.layers.has("terrain") && this.layers.has("ownership")) this.#drawFrames(model);
      if (detail.markers) this.#drawMarkers(model);
      if (this.layers.has("hearts")) this.#drawHearts(model);
      this.#drawRegions(model, detail.labels);
      if (this.layers.has("diagnostics")) this.#drawDiagnostics(model);
      this.#drawSelection();
      this.#drawPreview();
    }
    this.lastFrame = performance.now() - started;
    // Where the map lies and how long it took, for tools that read the canvas (the browser tests
    // and the budgets); a performance mark when a new analysis of the map is first drawn.
    const v = this.viewport;
    this.canvas.dataset.view = `${v.scale} ${v.left} ${v.top}`;
    this.canvas.dataset.frame = this.lastFrame.toFixed(2);
    if (this.#newModel && model) {
      this.#newModel = false;
      performance.mark("studio:map-drawn");
    }
  }

  // ---- Drawing ---------------------------------------------------------------------------

  #drawGround(model: MapModel): void {
    if (this.#ground === null || this.#groundKey !== this.layers.groundKey) {
      this.#ground = this.#makeGround(model);
      this.#groundKey = this.layers.groundKey;
    }
    const v = this.viewport;
    const range = v.visible(model.width, model.height);
    if (range.x1 <= range.x0 || range.y1 <= range.y0) return;
    const { px, py } = v.toCanvas(range.x0, range.y0);
    const ctx = this.#context;
    // Below a pixel a square the squares are blended, so that a whole large map reads as its mix
    // of terrain rather than as whichever squares the pixels happen to fall on.
    ctx.imageSmoothingEnabled = v.scale < 1;
    ctx.drawImage(
      this.#ground,
      range.x0,
      range.y0,
      range.x1 - range.x0,
      range.y1 - range.y0,
      px,
      py,
      (range.x1 - range.x0) * v.scale,
      (range.y1 - range.y0) * v.scale,
    );
  }

  #makeGround(model: MapModel): HTMLCanvasElement {
    const { width, height } = model;
    const terrain = model.outline.grid!.terrain!;
    const canvas = document.createElement("canvas");
    canvas.width = width;
    canvas.height = height;
    const image = new ImageData(width, height);
    // Whole pixels as 32-bit numbers. The loop runs once per version of a map of up to a million
    // squares, mostly before the engine has optimised it, so it looks colours up in typed arrays
    // indexed by the code's low two bytes (terrain id and owner), the full code beside to confirm.
    const pixels = new Int32Array(image.data.buffer);
    const keys = new Uint32Array(0x10000);
    const known = new Uint8Array(0x10000);
    const table = new Int32Array(0x10000);
    const little = new Uint8Array(new Uint32Array([1]).buffer)[0] === 1;
    const colourOf = (code: number): number => {
      const [r, g, b] = squareColour(this.#palette, code, this.layers, this.#theme.background);
      return little ? (255 << 24) | (b << 16) | (g << 8) | r : (r << 24) | (g << 16) | (b << 8) | 255;
    };
    for (let i = 0; i < terrain.length; ++i) {
      const code = terrain[i]!;
      const k = code & 0xffff;
      if (keys[k] !== code || known[k] === 0) {
        keys[k] = code;
        known[k] = 1;
        table[k] = colourOf(code);
      }
      pixels[i] = table[k]!;
    }
    canvas.getContext("2d")!.putImageData(image, 0, 0);
    return canvas;
  }

  // A room's frame in its owner's hue, along the sides where the room ends.
  #drawFrames(model: MapModel): void {
    const v = this.viewport;
    const range = v.visible(model.width, model.height);
    const terrain = model.outline.grid!.terrain!;
    const w = model.width;
    const s = v.scale;
    const t = Math.max(1, Math.floor(s / 8));
    const ctx = this.#context;
    for (let y = range.y0; y < range.y1; ++y) {
      for (let x = range.x0; x < range.x1; ++x) {
        const code = terrain[y * w + x]!;
        const frame = this.#palette.look(code).frame;
        if (!frame) continue;
        const differs = (nx: number, ny: number): boolean =>
          nx < 0 || ny < 0 || nx >= w || ny >= model.height || terrain[ny * w + nx] !== code;
        const { px, py } = v.toCanvas(x, y);
        ctx.fillStyle = css(frame);
        if (differs(x - 1, y)) ctx.fillRect(px, py, t, s);
        if (differs(x, y - 1)) ctx.fillRect(px, py, s, t);
        if (differs(x + 1, y)) ctx.fillRect(px + s - t, py, t, s);
        if (differs(x, y + 1)) ctx.fillRect(px, py + s - t, s, t);
      }
    }
  }

  // Placements in their owner's hue, as the preview draws them: objects in the top-left corner,
  // traps in the bottom-right, doors as a bar across, creatures as a disc on top.
  #drawMarkers(model: MapModel): void {
    const v = this.viewport;
    const range = v.visible(model.width, model.height);
    const ctx = this.#context;
    const s = v.scale;
    const e = Math.max(1, s / 12);
    const order = ["door", "object", "trap", "creature"] as const;
    // Too many to draw one by one: the rows in view, and the share of their width in view, say so
    // without a look at each placement.
    const columns = (range.x1 - range.x0) / Math.max(1, model.width);
    if (model.countInRows(range.y0, range.y1) * columns > MARKS_DRAWN_ONE_BY_ONE) {
      this.#drawDots(model, range);
      return;
    }
    const visible: Entity[] = [];
    for (const entity of model.pointsInRows(range.y0, range.y1)) {
      if (
        entity.kind !== "heart" &&
        entity.rect.left >= range.x0 &&
        entity.rect.left < range.x1 &&
        this.layers.shows(entity)
      )
        visible.push(entity);
    }
    // Text is dear to draw: the two letters only where few placements show.
    const labelled = s >= 20 && visible.length <= 400;
    for (const kind of order) {
      for (const entity of visible) {
        if (entity.kind !== kind) continue;
        const { px, py } = v.toCanvas(entity.rect.left, entity.rect.top);
        const hue = css(ownerHue(entity.owner));
        ctx.fillStyle = css(markerEdge);
        if (kind === "creature") {
          const r = 0.3 * s;
          ctx.beginPath();
          ctx.arc(px + s / 2, py + s / 2, r + e, 0, 2 * Math.PI);
          ctx.fill();
          ctx.fillStyle = hue;
          ctx.beginPath();
          ctx.arc(px + s / 2, py + s / 2, r, 0, 2 * Math.PI);
          ctx.fill();
        } else if (kind === "object") {
          const q = Math.max(2, (s * 3) / 8);
          ctx.fillRect(px, py, q + 2 * e, q + 2 * e);
          ctx.fillStyle = hue;
          ctx.fillRect(px + e, py + e, q, q);
        } else if (kind === "trap") {
          const q = Math.max(2, (s * 3) / 8) + 1;
          const x = px + s - q - 2 * e;
          const y = py + s - q - 2 * e;
          triangle(ctx, x, y, q + 2 * e, q + 2 * e);
          ctx.fillStyle = hue;
          triangle(ctx, x + e, y + 2 * e, q, q - e);
        } else {
          const h = Math.max(2, s / 4);
          const y = py + (s - h) / 2;
          ctx.fillRect(px, y - e, s, h + 2 * e);
          ctx.fillStyle = hue;
          ctx.fillRect(px, y, s, h);
          if (entity.detail === "locked") {
            const k = Math.max(1, h / 2);
            ctx.fillStyle = css(markerEdge);
            ctx.fillRect(px + (s - k) / 2, py + (s - k) / 2, k, k);
          }
        }
        if (labelled) this.#drawLabel(entity, px, py, s);
      }
    }
  }

  // The kind's two letters beside its mark: creatures in the disc, objects in the top-left
  // corner, traps in the bottom-right, doors at the bar's left end.
  #drawLabel(entity: Entity, px: number, py: number, s: number): void {
    const label = this.#labels.get(entity.name);
    if (!label) return;
    const ctx = this.#context;
    const size = Math.round(Math.min(s * 0.24, 14));
    ctx.font = `bold ${size}px system-ui, sans-serif`;
    ctx.textBaseline = "middle";
    ctx.textAlign = "center";
    const at: Record<string, [number, number]> = {
      creature: [0.5, 0.5],
      object: [0.2, 0.2],
      trap: [0.78, 0.8],
      door: [0.2, 0.5],
    };
    const [fx, fy] = at[entity.kind] ?? [0.5, 0.5];
    ctx.lineWidth = 3;
    ctx.strokeStyle = "rgba(0,0,0,0.85)";
    ctx.strokeText(label, px + s * fx, py + s * fy);
    ctx.fillStyle = "#fff";
    ctx.fillText(label, px + s * fx, py + s * fy);
    ctx.textAlign = "start";
  }

  // Where the squares in view hold more placements than a frame can draw one by one: a dot in
  // the middle of each such square, in the owner's hue of what stands on top (a creature before a
  // door, a trap, an object), copied from a bitmap of three pixels a square made once per map
  // and choice of layers.
  #drawDots(model: MapModel, range: SquareRange): void {
    const key = (["creatures", "doors", "traps", "objects"] as const).map((l) => this.layers.has(l)).join("/");
    if (this.#dots?.model !== model || this.#dots.key !== key)
      this.#dots = { model, key, canvas: this.#makeDots(model) };
    const v = this.viewport;
    const { px, py } = v.toCanvas(range.x0, range.y0);
    const w = range.x1 - range.x0;
    const h = range.y1 - range.y0;
    this.#context.imageSmoothingEnabled = false;
    this.#context.drawImage(
      this.#dots.canvas,
      range.x0 * 3,
      range.y0 * 3,
      w * 3,
      h * 3,
      px,
      py,
      w * v.scale,
      h * v.scale,
    );
  }

  #makeDots(model: MapModel): HTMLCanvasElement {
    const canvas = document.createElement("canvas");
    canvas.width = model.width * 3;
    canvas.height = model.height * 3;
    const image = new ImageData(canvas.width, canvas.height);
    const rank = { creature: 4, door: 3, trap: 2, object: 1 } as Record<string, number>;
    const top = new Uint8Array(model.width * model.height);
    for (const e of model.pointsInRows(0, model.height)) {
      const r = rank[e.kind] ?? 0;
      const { left: x, top: y } = e.rect;
      if (r === 0 || !this.layers.shows(e) || x < 0 || y < 0 || x >= model.width || y >= model.height) continue;
      const i = y * model.width + x;
      if (r <= top[i]!) continue;
      top[i] = r;
      const [cr, cg, cb] = ownerHue(e.owner);
      const at = ((y * 3 + 1) * canvas.width + x * 3 + 1) * 4;
      image.data.set([cr, cg, cb, 255], at);
    }
    canvas.getContext("2d")!.putImageData(image, 0, 0);
    return canvas;
  }

  // A ring around each heart's centre, wide enough to enclose the squares next to it; never
  // smaller than a few pixels, so that it shows on a whole large map.
  #drawHearts(model: MapModel): void {
    const ctx = this.#context;
    const s = this.viewport.scale;
    for (const entity of model.hearts) {
      const { px, py } = this.viewport.toCanvas(entity.rect.left + 0.5, entity.rect.top + 0.5);
      const radius = Math.max(1.45 * s, 6);
      const thickness = Math.max(2, s / 5);
      ctx.lineWidth = thickness + 2;
      ctx.strokeStyle = css(markerEdge);
      ctx.beginPath();
      ctx.arc(px, py, radius - thickness / 2, 0, 2 * Math.PI);
      ctx.stroke();
      ctx.lineWidth = thickness;
      ctx.strokeStyle = css(ownerHue(entity.owner));
      ctx.stroke();
    }
  }

  // Gates and areas outlined, labelled "G n" and "A n"; the bands released there beside.
  #drawRegions(model: MapModel, labels: boolean): void {
    const ctx = this.#context;
    const s = this.viewport.scale;
    const range = this.viewport.visible(model.width, model.height);
    const regions = model.regions
      .map((i) => model.entities[i]!)
      .filter(
        (e) =>
          this.layers.shows(e) &&
          e.rect.right >= range.x0 - 1 &&
          e.rect.left <= range.x1 &&
          e.rect.bottom >= range.y0 - 1 &&
          e.rect.top <= range.y1,
      );
    const line = s < 8 ? 1.5 : Math.max(2, s / 6);
    for (const e of regions) {
      const r = this.#rectOnCanvas(e.rect);
      ctx.lineWidth = line + 2;
      ctx.strokeStyle = css(markerEdge);
      ctx.strokeRect(r.x, r.y, r.w, r.h);
      ctx.lineWidth = line;
      ctx.strokeStyle = css(e.kind === "gate" ? gateOutline : areaOutline);
      ctx.strokeRect(r.x, r.y, r.w, r.h);
    }
    if (!labels) return;
    ctx.font = `bold ${Math.round(Math.min(Math.max(s * 0.7, 10), 16))}px system-ui, sans-serif`;
    ctx.textBaseline = "top";
    for (const e of regions) {
      const r = this.#rectOnCanvas(e.rect);
      let text = e.name;
      if (this.layers.has("bands")) {
        const bands = model.bandsReleasedAt(e.kind === "gate" ? "G" : "A", e.number);
        if (bands.length > 0) text += ` \u2190 ${bands.map((b) => `B${b}`).join(" ")}`;
      }
      const metrics = ctx.measureText(text);
      const h = Math.round(Math.min(Math.max(s * 0.7, 10), 16)) + 4;
      const w = metrics.width + 6;
      const y = r.y - h >= 0 ? r.y - h : r.y + r.h;
      ctx.fillStyle = "rgba(0,0,0,0.8)";
      ctx.fillRect(r.x, y, w, h);
      ctx.fillStyle = css(e.kind === "gate" ? gateOutline : areaOutline);
      ctx.fillText(text, r.x + 3, y + 2);
    }
  }

  #drawDiagnostics(model: MapModel): void {
    const ctx = this.#context;
    for (const d of model.check.diagnostics ?? []) {
      if (d.severity === "note") continue;
      ctx.strokeStyle = d.severity === "error" ? this.#theme.error : this.#theme.warning;
      ctx.lineWidth = 3;
      for (const rect of model.diagnosticRects(d)) {
        const r = this.#rectOnCanvas(rect, 8);
        ctx.setLineDash([]);
        ctx.strokeRect(r.x - 2, r.y - 2, r.w + 4, r.h + 4);
      }
    }
  }

  #drawSelection(): void {
    const ctx = this.#context;
    ctx.lineWidth = 2;
    ctx.strokeStyle = this.#theme.selection;
    ctx.setLineDash([5, 3]);
    for (const rect of this.#selection) {
      const r = this.#rectOnCanvas(rect, 10);
      ctx.strokeRect(r.x - 4, r.y - 4, r.w + 8, r.h + 8);
    }
    if (this.#cursor && document.activeElement === this.canvas) {
      const r = this.#rectOnCanvas(
        { left: this.#cursor.x, top: this.#cursor.y, right: this.#cursor.x, bottom: this.#cursor.y },
        6,
      );
      ctx.strokeStyle = this.#theme.hover;
      ctx.setLineDash([]);
      ctx.strokeRect(r.x - 1, r.y - 1, r.w + 2, r.h + 2);
    }
    ctx.setLineDash([]);
  }

  #drawPreview(): void {
    if (!this.#preview) return;
    const ctx = this.#context;
    const r = this.#rectOnCanvas(this.#preview, 4);
    ctx.lineWidth = 2;
    ctx.strokeStyle = css(markerEdge);
    ctx.strokeRect(r.x, r.y, r.w, r.h);
    ctx.setLineDash([4, 4]);
    ctx.strokeStyle = this.#theme.selection;
    ctx.strokeRect(r.x, r.y, r.w, r.h);
    ctx.setLineDash([]);
  }

  /** A rectangle of squares on the canvas, at least `least` pixels wide and high, centred. */
  #rectOnCanvas(rect: Rect, least = 0): { x: number; y: number; w: number; h: number } {
    const s = this.viewport.scale;
    const { px, py } = this.viewport.toCanvas(rect.left, rect.top);
    let w = (rect.right - rect.left + 1) * s;
    let h = (rect.bottom - rect.top + 1) * s;
    let x = px;
    let y = py;
    if (w < least) {
      x -= (least - w) / 2;
      w = least;
    }
    if (h < least) {
      y -= (least - h) / 2;
      h = least;
    }
    return { x, y, w, h };
  }

  // ---- Input ---------------------------------------------------------------------------

  #resize(): void {
    const ratio = window.devicePixelRatio || 1;
    const box = this.canvas.getBoundingClientRect();
    const width = Math.max(1, Math.round(box.width));
    const height = Math.max(1, Math.round(box.height));
    const first = this.viewport.width === 0;
    this.viewport.resize(width, height);
    this.canvas.width = Math.round(width * ratio);
    this.canvas.height = Math.round(height * ratio);
    if (first && this.#model) this.viewport.fit(this.#model.width, this.#model.height);
    this.draw();
  }

  /** The square under the pointer, or null off the map. */
  #squareOf(event: MouseEvent): Square | null {
    const square = this.#anySquareOf(event);
    const model = this.#model;
    if (!model || square.x < 0 || square.y < 0 || square.x >= model.width || square.y >= model.height) return null;
    return square;
  }

  /** The square under the pointer, on the map or off it. */
  #anySquareOf(event: MouseEvent): Square {
    const box = this.canvas.getBoundingClientRect();
    return this.viewport.squareAt(event.clientX - box.left, event.clientY - box.top);
  }

  #choose(square: Square): void {
    const model = this.#model;
    if (!model) return;
    this.#events.choose(square, pick(model.entitiesAt(square.x, square.y), this.layers));
  }

  #listen(): void {
    const canvas = this.canvas;
    let drag: { x: number; y: number; moved: boolean } | null = null;
    let drawing = false;
    canvas.addEventListener(
      "wheel",
      (event) => {
        event.preventDefault();
        const box = canvas.getBoundingClientRect();
        const delta = event.deltaMode === 1 ? event.deltaY * 16 : event.deltaY;
        this.viewport.zoomAt(event.clientX - box.left, event.clientY - box.top, Math.exp(-delta * 0.0015));
        this.redraw();
        this.#events.hover(this.#squareOf(event));
      },
      { passive: false },
    );
    canvas.addEventListener("contextmenu", (event) => event.preventDefault());
    canvas.addEventListener("pointerdown", (event) => {
      // The main button belongs to the drawing tool, if it takes the gesture; any button pans.
      const square = this.#squareOf(event);
      const taken = event.button === 0 && square ? (this.tool?.down(square, false) ?? false) : false;
      if (taken) {
        drawing = taken === true;
        this.#cursor = square;
        if (drawing) canvas.setPointerCapture(event.pointerId);
        return;
      }
      drag = { x: event.clientX, y: event.clientY, moved: event.button !== 0 };
      canvas.setPointerCapture(event.pointerId);
    });
    canvas.addEventListener("pointermove", (event) => {
      if (drawing) {
        this.tool?.move(this.#anySquareOf(event));
        this.#events.hover(this.#squareOf(event));
        return;
      }
      if (drag) {
        const dx = event.clientX - drag.x;
        const dy = event.clientY - drag.y;
        if (drag.moved || Math.abs(dx) + Math.abs(dy) > 3) {
          drag.moved = true;
          drag.x = event.clientX;
          drag.y = event.clientY;
          this.viewport.panBy(dx, dy);
          this.redraw();
          return;
        }
      }
      this.#events.hover(this.#squareOf(event));
    });
    canvas.addEventListener("pointerup", (event) => {
      if (drawing) {
        drawing = false;
        this.tool?.up(this.#anySquareOf(event));
        return;
      }
      const clicked = drag !== null && !drag.moved;
      drag = null;
      if (!clicked) return;
      const square = this.#squareOf(event);
      if (square) {
        this.#cursor = square;
        this.#choose(square);
      }
    });
    canvas.addEventListener("pointerleave", () => this.#events.hover(this.#cursor));
    canvas.addEventListener("focus", () => {
      const model = this.#model;
      if (!this.#cursor && model) {
        const centre = this.viewport.squareAt(this.viewport.width / 2, this.viewport.height / 2);
        this.#cursor = {
          x: Math.min(Math.max(centre.x, 0), model.width - 1),
          y: Math.min(Math.max(centre.y, 0), model.height - 1),
        };
      }
      this.#events.hover(this.#cursor);
      this.redraw();
    });
    canvas.addEventListener("blur", () => this.redraw());
    canvas.addEventListener("keydown", (event) => this.#key(event));
  }

  /** Keyboard drawing: Enter starts a tool's gesture on the cursor's square, the arrows move it, Enter ends it. */
  #keyboardDrawing = false;

  #key(event: KeyboardEvent): void {
    const model = this.#model;
    if (!model || event.ctrlKey || event.metaKey || event.altKey) return;
    const steps: Record<string, [number, number]> = {
      ArrowLeft: [-1, 0],
      ArrowRight: [1, 0],
      ArrowUp: [0, -1],
      ArrowDown: [0, 1],
    };
    const step = steps[event.key];
    if (step) {
      if (event.shiftKey) {
        this.viewport.panBy(-step[0] * this.viewport.width * 0.2, -step[1] * this.viewport.height * 0.2);
      } else {
        const c = this.#cursor ?? { x: 0, y: 0 };
        this.#cursor = {
          x: Math.min(Math.max(c.x + step[0], 0), model.width - 1),
          y: Math.min(Math.max(c.y + step[1], 0), model.height - 1),
        };
        this.viewport.reveal(this.#cursor.x, this.#cursor.y, this.#cursor.x, this.#cursor.y);
        this.#events.hover(this.#cursor);
        if (this.#keyboardDrawing) this.tool?.move(this.#cursor);
      }
    } else if (event.key === "+" || event.key === "=") {
      this.zoom(1.25);
    } else if (event.key === "-" || event.key === "_") {
      this.zoom(0.8);
    } else if (event.key === "0") {
      this.fit();
    } else if (event.key === "Enter" || event.key === " ") {
      if (!this.#cursor) return;
      if (this.#keyboardDrawing) {
        this.#keyboardDrawing = false;
        this.tool?.up(this.#cursor);
      } else {
        const taken = this.tool?.down(this.#cursor, true) ?? false;
        if (taken === true) this.#keyboardDrawing = true;
        else if (taken === false) this.#choose(this.#cursor);
      }
    } else if (event.key === "Escape" && this.#keyboardDrawing) {
      this.#keyboardDrawing = false;
      this.tool?.up(this.#cursor ?? { x: 0, y: 0 });
    } else if (event.key === "Delete" || event.key === "Backspace") {
      this.tool?.remove();
    } else {
      return;
    }
    event.preventDefault();
    this.redraw();
  }

  /** Moves the keyboard cursor (as a click on the square does). */
  setCursor(square: Square | null): void {
    this.#cursor = square;
    this.redraw();
  }

  /** The diagnostics whose squares include this one. */
  diagnosticsAt(square: Square): Diagnostic[] {
    const model = this.#model;
    if (!model) return [];
    return (model.check.diagnostics ?? []).filter((d) =>
      model
        .diagnosticRects(d)
        .some((r) => square.x >= r.left && square.x <= r.right && square.y >= r.top && square.y <= r.bottom),
    );
  }
}

/** Whether two grids hold the same codes: then the ground need not be made again after an edit. */
function sameTerrain(a: Uint32Array | null | undefined, b: Uint32Array | null | undefined): boolean {
  if (!a || !b || a.length !== b.length) return false;
  for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
  return true;
}

function triangle(ctx: CanvasRenderingContext2D, x: number, y: number, w: number, h: number): void {
  ctx.beginPath();
  ctx.moveTo(x + w / 2, y);
  ctx.lineTo(x + w, y + h);
  ctx.lineTo(x, y + h);
  ctx.closePath();
  ctx.fill();
}
