// Short labels that tell the kinds of one list apart on the map at high zoom: two letters from
// the name, without its list's common prefix or suffix (TR_BOULDER is BO, WOOD_BARRICADE is WB),
// made unique within the list by trying later letters.

function parts(name: string): string[] {
  return name
    .replace(/^(TR|TH|MI)_/, "")
    .replace(/_DOOR$/, "")
    .split("_")
    .filter((p) => p !== "");
}

export function abbreviations(names: readonly string[]): Map<string, string> {
  const taken = new Set<string>();
  const found = new Map<string, string>();
  for (const name of names) {
    const words = parts(name);
    const letters = words.join("");
    const candidates = [
      words.length > 1 ? words[0]![0]! + words[1]![0]! : letters.slice(0, 2),
      ...[...letters.slice(1)].map((c) => letters[0]! + c),
      ...[...letters].flatMap((a, i) => [...letters.slice(i + 1)].map((b) => a + b)),
    ];
    const label = candidates.find((c) => c.length === 2 && !taken.has(c)) ?? String(found.size + 1);
    taken.add(label);
    found.set(name, label);
  }
  return found;
}
