// The page's side of the worker: each call is a promise of its result.
import type { OperationName, Operations, Response } from "./protocol";

export class LibraryClient {
  readonly #worker: Worker;
  readonly #pending = new Map<number, { resolve: (value: unknown) => void; reject: (error: Error) => void }>();
  #next = 1;

  constructor(url: URL) {
    this.#worker = new Worker(url, { type: "module" });
    this.#worker.onmessage = (event: MessageEvent<Response>) => {
      const response = event.data;
      const pending = this.#pending.get(response.id);
      if (!pending) return;
      this.#pending.delete(response.id);
      if (response.ok) pending.resolve(response.result);
      else pending.reject(new Error(response.error));
    };
    this.#worker.onerror = (event) => {
      const error = new Error(`the library's worker failed: ${event.message}`);
      for (const pending of this.#pending.values()) pending.reject(error);
      this.#pending.clear();
    };
  }

  call<N extends OperationName>(
    operation: N,
    argument: Operations[N]["argument"],
    transfer: Transferable[] = [],
  ): Promise<Operations[N]["result"]> {
    const id = this.#next++;
    return new Promise((resolve, reject) => {
      this.#pending.set(id, { resolve: resolve as (value: unknown) => void, reject });
      this.#worker.postMessage({ id, operation, argument }, transfer);
    });
  }
}
