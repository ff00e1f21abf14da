// The status line, with its spinner while something runs.
import { byId } from "./dom";

export function say(text: string, busy = false): void {
  byId("status-text").textContent = text;
  byId("spinner").hidden = !busy;
  document.body.toggleAttribute("data-busy", busy);
}
