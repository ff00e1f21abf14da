// Starts tunnelsmith-lsp for map files and connects it to the editor over standard input and
// output.
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const command = vscode.workspace.getConfiguration('tunnelsmith').get('server.path');
  const server = { command, transport: TransportKind.stdio };
  client = new LanguageClient('tunnelsmith', 'Tunnelsmith map', { run: server, debug: server }, {
    documentSelector: [{ language: 'tunnelsmith-map' }],
  });
  context.subscriptions.push(client);
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
