#!/usr/bin/env python3
"""Writes the language server's seed sessions into fuzz/lsp_corpus/.

Usage: make_lsp_seeds.py SCENARIO_TOOL

Each seed is the bytes an editor sends in one session: a whole session on
the built-in sources (exported by SCENARIO_TOOL), and short ones that break
the framing or the messages in the ways editors and pipes do.
"""
import json
import os
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, "lsp_corpus")


def frame(message):
    body = message if isinstance(message, bytes) else json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def request(id, method, params=None):
    return {"jsonrpc": "2.0", "id": id, "method": method, "params": params or {}}


def notification(method, params=None):
    return {"jsonrpc": "2.0", "method": method, "params": params or {}}


def at(uri, line, character):
    return {"textDocument": {"uri": uri}, "position": {"line": line, "character": character}}


def main():
    tool = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "export", folder], check=True, capture_output=True)
        line = open(os.path.join(folder, "VELDRA PALV_linea.txt"), encoding="cp1252", newline="").read()
        train = open(os.path.join(folder, "VELDRA PALV_2638-.txt"), encoding="cp1252", newline="").read()
    # Documents in a folder that does not exist: nothing is read from disk.
    line_uri = "file:///nonexistent/VELDRA%20PALV_linea.txt"
    train_uri = "file:///nonexistent/VELDRA%20PALV_2638-.txt"
    init = frame(request(1, "initialize")) + frame(notification("initialized"))
    end = frame(request(99, "shutdown")) + frame(notification("exit"))

    def opened(uri, text):
        return frame(notification("textDocument/didOpen",
                                  {"textDocument": {"uri": uri, "languageId": "scenario", "version": 1, "text": text}}))

    def changed(uri, text, version):
        return frame(notification("textDocument/didChange",
                                  {"textDocument": {"uri": uri, "version": version}, "contentChanges": [{"text": text}]}))

    seeds = {
        "seed_session_builtin": init + opened(line_uri, line) + opened(train_uri, train)
        + changed(line_uri, line.replace("pendenza,", "pendenzza,", 1), 2)
        + frame(request(2, "textDocument/hover", at(train_uri, 34, 14)))
        + frame(request(3, "textDocument/completion", at(train_uri, 33, 0)))
        + frame(request(4, "textDocument/documentSymbol", {"textDocument": {"uri": line_uri}}))
        + frame(request(5, "textDocument/definition", at(line_uri, 141, 33)))
        + frame(notification("textDocument/didClose", {"textDocument": {"uri": train_uri}})) + end,
        "seed_train_alone_accented": init + opened(train_uri, train.replace("MOLVERA", "MOLVERÀ \U0001F682")) + end,
        "seed_request_before_initialize": frame(request(1, "textDocument/hover", at(line_uri, 0, 0))) + end,
        "seed_malformed_json": init + frame(b'{"jsonrpc": "2.0", "id": 3, ') + frame(b"[1, 2]") + frame(b"null") + end,
        "seed_cancel": init + frame(request(2, "textDocument/documentSymbol", {"textDocument": {"uri": line_uri}}))
        + frame(notification("$/cancelRequest", {"id": 2})) + end,
        "seed_bad_params": init + frame(request(2, "textDocument/hover", {"textDocument": 3}))
        + frame(notification("textDocument/didOpen", {"textDocument": {"uri": 5}})) + end,
        "seed_no_length": init + b"Content-Type: x\r\n\r\n{}",
        "seed_length_too_large": init + b"Content-Length: 999999999999\r\n\r\n{}",
        "seed_cut_short": init + b"Content-Length: 50\r\n\r\n{\"jsonrpc\"",
    }
    os.makedirs(corpus, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(corpus, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
