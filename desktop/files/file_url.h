// SPDX-License-Identifier: GPL-3.0-or-later
// File addresses (file: URLs) of local paths as drag and drop passes them in
// text/uri-list, exact to the byte both ways: every byte of a path that is
// not a plain letter, digit or "/-._~" is percent-encoded, so that a name
// that is not UTF-8 (see FileNameCodec) reaches a file manager and comes back
// as itself.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace crunchwise::FileUrl {

// The text/uri-list of the absolute `paths`: one address a line, each line
// ended by CR LF. Never fails.
QByteArray uriList(const QStringList& paths);

// The path that the local file address `line` names, its percent-encoded
// bytes taken as they are; empty for an address of another scheme or host,
// a relative one, or one whose bytes hold an encoded "/" or NUL (it names no
// file, and decoding it would name another one). Never fails.
QString localPath(const QByteArray& line);

// The local paths that the text/uri-list `list` names, in its order:
// comment lines, empty lines and addresses of other schemes or other hosts
// are left out. Never fails.
QStringList localPaths(const QByteArray& list);

} // namespace crunchwise::FileUrl
