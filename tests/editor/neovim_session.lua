-- A session in a real editor: neovim's own language client starts
-- `scenario-tool lsp`, opens the exported built-in sources, edits rows, and
-- what it shows is held against `scenario-tool check --json` on the same
-- text. Run headless by the editor test; the environment names the tool,
-- the sources' folder and a scratch folder. Exits non-zero on a mismatch.
local tool, dir, scratch = os.getenv('SB_TOOL'), os.getenv('SB_DIR'), os.getenv('SB_SCRATCH')
local names = { line = 'VELDRA PALV_linea.txt', train = 'VELDRA PALV_2638-.txt' }
local failures = {}
local function fail(what) table.insert(failures, what) end

local published = 0
local client = vim.lsp.start_client({
  name = 'scenario-tool',
  cmd = { tool, 'lsp' },
  root_dir = dir,
  flags = { debounce_text_changes = 0 },
  handlers = {
    ['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
      published = published + 1
      return vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
    end,
  },
})

-- Waits for diagnostics after `before` publications, then for quiet.
local function settle(before)
  if not vim.wait(10000, function() return published > before end, 10) then fail('no diagnostics published') end
  local last = -1
  while last ~= published do
    last = published
    vim.wait(300)
  end
end

local buffers = {}

local function lineOf(buf, prefix)
  for i, text in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, false)) do
    if text:sub(1, #prefix) == prefix then return i - 1, text end
  end
  error('no line starts with ' .. prefix)
end
local function replace(buf, prefix, rows)
  local before = published
  local at = lineOf(buf, prefix)
  vim.api.nvim_buf_set_lines(buf, at, at + 1, false, rows)
  settle(before)
end

-- Every diagnostic of check equals one the editor shows, field by field,
-- and the editor shows no other.
local function compare(step)
  for role, buf in pairs(buffers) do
    vim.api.nvim_buf_call(buf, function()
      vim.cmd('silent write! ' .. vim.fn.fnameescape(scratch .. '/' .. names[role]))
    end)
  end
  local command = table.concat(vim.tbl_map(vim.fn.shellescape, { tool, 'check', '--json', scratch .. '/' .. names.line,
                                                                  scratch .. '/' .. names.train }), ' ')
  local checked = vim.fn.json_decode(vim.fn.system(command .. ' 2>/dev/null'))
  local shown = 0
  for _, buf in pairs(buffers) do shown = shown + #vim.diagnostic.get(buf) end
  if shown ~= #checked.diagnostics then
    fail(step .. ': the editor shows ' .. shown .. ' diagnostics, check gives ' .. #checked.diagnostics)
  end
  for _, d in ipairs(checked.diagnostics) do
    local role = (d.file or ''):sub(-#names.train) == names.train and 'train' or 'line'
    local found = nil
    for _, v in ipairs(vim.diagnostic.get(buffers[role])) do
      if v.lnum == d.line - 1 and v.col == d.column - 1 and v.end_lnum == d.endLine - 1 and v.end_col == d.endColumn - 1
          and v.severity == (d.severity == 'error' and 1 or 2) and v.message == d.message
          and tostring(v.code) == tostring(d.code) then
        found = v
      end
    end
    if not found then
      fail(step .. ': not shown: ' .. vim.fn.json_encode(d))
    else
      local related = (found.user_data and found.user_data.lsp and found.user_data.lsp.relatedInformation) or {}
      if #related ~= #d.notes then fail(step .. ': notes differ for ' .. d.message) end
      for i, note in ipairs(d.notes) do
        local r = related[i]
        if r and not (vim.uri_to_fname(r.location.uri):sub(-#note.file + #scratch + 1) == note.file:sub(#scratch + 2)
            and r.location.range.start.line == note.line - 1 and r.location.range.start.character == note.column - 1
            and r.message == note.message) then
          fail(step .. ': note differs: ' .. vim.fn.json_encode(r) .. ' against ' .. vim.fn.json_encode(note))
        end
      end
    end
  end
  return checked.diagnostics
end

local function has(diagnostics, code)
  for _, d in ipairs(diagnostics) do
    if tostring(d.code) == code then return d end
  end
end

local function session()
  for _, role in ipairs({ 'line', 'train' }) do
    vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/' .. names[role]))
    buffers[role] = vim.api.nvim_get_current_buf()
    vim.lsp.buf_attach_client(buffers[role], client)
  end
  settle(0)

  compare('clean pair')

  replace(buffers.line, 'pendenza,', { 'pendenzza,  0,   -1.4' })
  if not has(compare('typo keyword'), 'unknown-keyword') then fail('typo keyword: no unknown-keyword warning') end
  replace(buffers.line, 'pendenzza,', { 'pendenza,  0,   -1.4' })

  replace(buffers.line, 'cartello_indicatore,  1250,',
          { 'cartello_indicatore,  1250,   (FERMATA 1)', 'cartello_indicatore,  4200,   (MOLVERA)' })
  if not has(compare('dropped board'), 'feature-dropped') then fail('dropped board: no feature-dropped warning') end
  replace(buffers.line, 'cartello_indicatore,  4200,', {})

  replace(buffers.train, 'segnale,    4000,', { 'segnale,    1250,   1, 3, 1,  0, 0,    1,  2,1,0, 0' })
  local taken = has(compare('occupied cell'), '16')
  if not taken or not taken.notes[1] or taken.notes[1].file:sub(-#names.line) ~= names.line then
    fail('occupied cell: no error 16 with a note in the line source')
  end
  replace(buffers.train, 'segnale,    1250,', { 'segnale,    4000,   1, 3, 1,  0, 0,    1,  2,1,0, 0' })

  -- Hover on a signal's position names the field and its cell.
  local row, text = lineOf(buffers.train, 'segnale,')
  local column = text:find('%d') - 1
  local hover = vim.lsp.buf_request_sync(buffers.train, 'textDocument/hover', {
    textDocument = { uri = vim.uri_from_bufnr(buffers.train) }, position = { line = row, character = column } }, 5000)
  local hoverText = hover and hover[client] and hover[client].result and hover[client].result.contents.value or ''
  if not (hoverText:find('signal position', 1, true) and hoverText:find('cell', 1, true)) then
    fail('hover on a signal position: ' .. hoverText)
  end

  -- Completion inside [segnali] offers segnale.
  local sectionRow = lineOf(buffers.train, '[segnali]')
  vim.api.nvim_buf_set_lines(buffers.train, sectionRow + 1, sectionRow + 1, false, { '' })
  local completion = vim.lsp.buf_request_sync(buffers.train, 'textDocument/completion', {
    textDocument = { uri = vim.uri_from_bufnr(buffers.train) }, position = { line = sectionRow + 1, character = 0 } }, 5000)
  local offered = false
  for _, item in ipairs((completion and completion[client] and completion[client].result) or {}) do
    if item.label == 'segnale' then offered = true end
  end
  if not offered then fail('completion inside [segnali] does not offer segnale') end
end

local ok, problem = pcall(session)
if not ok then fail('the session stopped: ' .. tostring(problem)) end
vim.lsp.stop_client(client)
for _, what in ipairs(failures) do io.stderr:write(what .. '\n') end
vim.cmd(#failures == 0 and 'qall!' or 'cquit 1')
