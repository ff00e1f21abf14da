// The messages between the page and the worker that holds the library. The page never loads the
// module itself: everything that reads a map or level files runs in the worker, so a large map
// never freezes the page.
import type { CheckResult, CompileResult, Decompilation, Diff, Inspection, LevelFile, Vocabulary } from "tunnelsmith";

import type { PackedOutline } from "../model/entries";

/** Each operation's argument and result. */
export interface Operations {
  ready: { argument: null; result: { version: string; vocabulary: Vocabulary } };
  /** The checker's diagnostics, and the milliseconds it took. */
  check: { argument: string; result: { check: CheckResult; milliseconds: number } };
  /** The outline, its entries packed, and the milliseconds it took. */
  outline: { argument: string; result: { outline: PackedOutline; milliseconds: number } };
  compile: { argument: string; result: CompileResult };
  applyFixes: {
    argument: { text: string; fixes: { start: number; end: number; replacement: string }[][] };
    result: string;
  };
  inspect: { argument: Uint8Array; result: Inspection };
  diff: { argument: [Uint8Array, Uint8Array]; result: Diff };
  decompile: {
    argument: LevelFile[];
    result: { text: string; exact: boolean; damaged: boolean; problems: Decompilation["problems"] };
  };
}

export type OperationName = keyof Operations;

export interface Request<N extends OperationName = OperationName> {
  id: number;
  operation: N;
  argument: Operations[N]["argument"];
}

export type Response = { id: number; ok: true; result: unknown } | { id: number; ok: false; error: string };
