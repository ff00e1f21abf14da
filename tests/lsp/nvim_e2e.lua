-- Neovim as a designer's editor on a map with a mistake: the server's diagnostic, a completion,
-- a hover and a jump to a definition, through Neovim's own client.
--   TUNNELSMITH_LSP=<server> TUNNELSMITH_MAP=<map> nvim --headless --clean -c 'luafile nvim_e2e.lua'
-- The map is examples/lair1.txt with "TROLL 3 3 L4 P1" (line 29) misspelt "TROL 3 3 L4 P1".
local server = assert(os.getenv('TUNNELSMITH_LSP'), 'TUNNELSMITH_LSP is not set')
local map = assert(os.getenv('TUNNELSMITH_MAP'), 'TUNNELSMITH_MAP is not set')
local failures = 0

local function check(condition, what)
  if not condition then
    failures = failures + 1
    io.stderr:write('FAIL: ' .. what .. '\n')
  end
end

vim.cmd('edit ' .. vim.fn.fnameescape(map))
local buf = vim.api.nvim_get_current_buf()
local uri = vim.uri_from_bufnr(buf)
local client = vim.lsp.start_client({ name = 'tunnelsmith', cmd = { server } })
check(client ~= nil, 'the server starts')
vim.lsp.buf_attach_client(buf, client)

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

vim.lsp.stop_client(client)
if failures > 0 then
  vim.cmd('cquit 1')
end
vim.cmd('qall!')
