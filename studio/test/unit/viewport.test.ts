// The view's coordinate mapping: squares and canvas points, zooming about a point, the visible
// squares, fitting and revealing.
import assert from "node:assert/strict";
import { test } from "node:test";

import { MAX_SCALE, MIN_SCALE, Viewport } from "../../src/view/viewport";

function viewport(scale: number, left: number, top: number, width = 800, height = 600): Viewport {
  const v = new Viewport();
  v.resize(width, height);
  Object.assign(v, { scale, left, top });
  return v;
}

test("a square's corner maps to the canvas and back, at any zoom and pan", () => {
  for (const [scale, left, top] of [
    [1, 0, 0],
    [8, -3.5, 2.25],
    [0.25, 100, 40],
    [33, 500.5, 999],
  ] as const) {
    const v = viewport(scale, left, top);
    for (const [x, y] of [
      [0, 0],
      [7, 3],
      [998, 999],
      [-2, 5],
    ] as const) {
      const { px, py } = v.toCanvas(x, y);
      // The centre of the square, not its corner, to stay clear of rounding at the edge.
      assert.deepEqual(v.squareAt(px + scale / 2, py + scale / 2), { x, y }, `scale ${scale}, square ${x},${y}`);
    }
  }
});

test("zooming keeps the map point under the pointer and stays within the limits", () => {
  const v = viewport(8, 10, 20);
  const before = { x: v.left + 300 / v.scale, y: v.top + 200 / v.scale };
  v.zoomAt(300, 200, 1.7);
  assert.ok(Math.abs(v.left + 300 / v.scale - before.x) < 1e-9);
  assert.ok(Math.abs(v.top + 200 / v.scale - before.y) < 1e-9);
  for (let i = 0; i < 100; ++i) v.zoomAt(0, 0, 2);
  assert.equal(v.scale, MAX_SCALE);
  for (let i = 0; i < 100; ++i) v.zoomAt(0, 0, 0.5);
  assert.equal(v.scale, MIN_SCALE);
});

test("the visible squares cover the canvas and are clamped to the map", () => {
  const cases = [
    { scale: 10, left: 0, top: 0, map: [1000, 1000], expected: { x0: 0, y0: 0, x1: 80, y1: 60 } },
    { scale: 10, left: 4.5, top: 2.5, map: [1000, 1000], expected: { x0: 4, y0: 2, x1: 85, y1: 63 } },
    { scale: 10, left: -20, top: -5, map: [12, 10], expected: { x0: 0, y0: 0, x1: 12, y1: 10 } },
    { scale: 0.5, left: 0, top: 0, map: [999, 1000], expected: { x0: 0, y0: 0, x1: 999, y1: 1000 } },
    { scale: 10, left: 2000, top: 0, map: [1000, 1000], expected: { x0: 1000, y0: 0, x1: 1000, y1: 60 } },
  ];
  for (const { scale, left, top, map, expected } of cases) {
    assert.deepEqual(
      viewport(scale, left, top).visible(map[0]!, map[1]!),
      expected,
      JSON.stringify({ scale, left, top }),
    );
  }
});

test("fit shows the whole map centred; reveal pans the least to show a rectangle; panning is bounded", () => {
  const v = viewport(1, 0, 0);
  v.fit(64, 32);
  const range = v.visible(64, 32);
  assert.deepEqual(range, { x0: 0, y0: 0, x1: 64, y1: 32 });
  const centre = v.squareAt(400, 300);
  assert.deepEqual(centre, { x: 32, y: 16 });

  const r = viewport(10, 0, 0);
  r.reveal(100, 5, 102, 6);
  assert.equal(r.left, 103 - 80);
  assert.equal(r.top, 0);
  r.reveal(3, 70, 3, 70);
  assert.deepEqual([r.left, r.top], [3, 71 - 60]);
  const big = viewport(10, 0, 0);
  big.reveal(0, 0, 199, 9);
  assert.equal(big.squareAt(400, 300).x, 100);

  const far = viewport(10, -5000, 9000);
  far.keepInReach(100, 100);
  const seen = far.visible(100, 100);
  assert.ok(seen.x1 > seen.x0 && seen.y1 > seen.y0, "part of the map stays in view");
});
