-- Neovim as a designer's editor, set up by the README's Neovim block as it stands there: two maps
-- get the filetype and one server between them; on the map with a mistake, the server's
-- diagnostic, a completion, a hover and a jump to a definition, through Neovim's own client.
--   TUNNELSMITH_README=<README.md> TUNNELSMITH_MAP=<maps/lair1.txt> TUNNELSMITH_SECOND_MAP=<x.tsmap>
--   nvim --headless --clean -c 'luafile nvim_e2e.lua'   (with tunnelsmith-lsp on the PATH)
-- The map is examples/lair1.txt with "TROLL 3 3 L4 P1" (line 29) misspelt "TROL 3 3 L4 P1".
local readme = assert(os.getenv('TUNNELSMITH_README'), 'TUNNELSMITH_README is not set')
local map = assert(os.getenv('TUNNELSMITH_MAP'), 'TUNNELSMITH_MAP is not set')
local second = assert(os.getenv('TUNNELSMITH_SECOND_MAP'), 'TUNNELSMITH_SECOND_MAP is not set')
local failures = 0

local function check(condition, what)
  if not condition then
    failures = failures + 1
    io.stderr:write('FAIL: ' .. what .. '\n')
  end
end

-- The README's block: the fenced lua block whose first line is its heading comment.
local heading = '-- Tunnelsmith maps and their language server (Neovim 0.7 or later)'
local block, inside = {}, false
for line in io.lines(readme) do
  if inside and line == '```' then break end
  if inside then table.insert(block, line) end
  if line == heading then
    inside = true
    table.insert(block, line)
  end
end
if #block == 0 then
  io.stderr:write('FAIL: the README has no Neovim block starting "' .. heading .. '"\n')
  vim.cmd('cquit 1')
end
assert(loadstring(table.concat(block, '\n'), 'README.md'))()

-- The clients attached to a buffer, on every Neovim the block is for.
local function clients(buf)
  if vim.lsp.get_clients then return vim.lsp.get_clients({ bufnr = buf }) end
  return vim.tbl_values(vim.lsp.buf_get_clients(buf))
end

vim.cmd('edit ' .. vim.fn.fnameescape(second))
local other = vim.api.nvim_get_current_buf()
vim.cmd('edit ' .. vim.fn.fnameescape(map))
local buf = vim.api.nvim_get_current_buf()
local uri = vim.uri_from_bufnr(buf)
check(vim.bo[buf].filetype == 'tunnelsmith', 'a .txt map in maps/ is a map: ' .. vim.bo[buf].filetype)
check(vim.bo[other].filetype == 'tunnelsmith', 'a .tsmap file is a map: ' .. vim.bo[other].filetype)
-- A client counts as attached once the server has answered its initialize request.
vim.wait(10000, function() return #clients(buf) > 0 and #clients(other) > 0 end, 20)
local attached, others = clients(buf), clients(other)
check(#attached == 1 and #others == 1 and attached[1].id == others[1].id,
      'one server serves both maps')
local client = attached[1] and attached[1].id

-- The diagnostic of the misspelt creature, at its word.
vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20)
local found = vim.diagnostic.get(buf)
check(#found == 1, 'one diagnostic, got ' .. #found)
if #found >= 1 then
  local d = found[1]
  check(d.lnum == 28 and d.col == 0 and d.end_col == 4, 'the diagnostic covers TROL on line 29')
  check(d.severity == vim.diagnostic.severity.WARN, 'the diagnostic is a warning')
  check(d.message:find('did you mean TROLL%?') ~= nil, 'the message suggests TROLL: ' .. d.message)
end

local function request(method, line, character)
  local params = { textDocument = { uri = uri }, position = { line = line, character = character } }
  local answers = vim.lsp.buf_request_sync(buf, method, params, 10000) or {}
  local answer = answers[client] or {}
  check(answer.err == nil, method .. ' answers without an error')
  return answer.result
end

-- Completion of the creature's name at the start of its line.
local completion = request('textDocument/completion', 28, 0) or {}
local labels = {}
for _, item in ipairs(completion.items or completion) do labels[item.label] = true end
check(labels['TROLL'] and labels['IMP'], 'creature names are offered in CREATURES')

-- Hover over the creature's x: the terrain of its square.
local hover = request('textDocument/hover', 28, 5)
check(hover and hover.contents.value == 'square (3, 3): KPR1_LAIR',
      'hover shows the square\'s terrain: ' .. vim.inspect(hover and hover.contents))

-- Go to definition from the gate number of a release (line 60) to the gate's entry (line 55).
vim.api.nvim_win_set_cursor(0, { 60, 24 })
vim.lsp.buf.definition()
vim.wait(10000, function() return vim.api.nvim_win_get_cursor(0)[1] ~= 60 end, 20)
local cursor = vim.api.nvim_win_get_cursor(0)
check(cursor[1] == 55 and cursor[2] == 0, 'the jump lands on HERO_GATES entry 2, at ' .. vim.inspect(cursor))

if client then vim.lsp.stop_client(client) end
if failures > 0 then
  vim.cmd('cquit 1')
end
vim.cmd('qall!')
