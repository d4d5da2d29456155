// SPDX-License-Identifier: GPL-3.0-or-later
// A scratch folder filled with real files, folders and links for the widget
// tests. Entries are given as "name" (an empty file), "name/" (a folder) or
// "name->target" (a symbolic link).
#pragma once

#include "tests/support/scratch_folder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

class TestFolder {
public:
    bool isValid() const { return true; } // ScratchFolder throws when it cannot make one
    QString path() const { return QDir(QFile::decodeName(folder_.path().c_str())).canonicalPath(); }
    QString pathOf(const QString& name) const { return path() + u'/' + name; }

    // Creates the entries described above; true if all were made.
    bool create(const QStringList& entries) const {
        for (const QString& entry : entries)
            if (!createEntry(entry))
                return false;
        return true;
    }

    // Creates an empty file whose name is the raw bytes `name`.
    bool createRaw(const QByteArray& name) const {
        return touch(QFile::encodeName(path()) + '/' + name);
    }

    // Creates `count` empty files named prefix0, prefix1, ...
    bool createNumbered(int count, const QString& prefix) const {
        const QByteArray base = QFile::encodeName(pathOf(prefix));
        for (int i = 0; i < count; ++i)
            if (!touch(base + QByteArray::number(i)))
                return false;
        return true;
    }

    bool remove(const QString& name) const { return QDir(path()).remove(name); }

private:
    bool createEntry(const QString& entry) const {
        if (entry.endsWith(u'/'))
            return QDir(path()).mkpath(entry);
        const qsizetype arrow = entry.indexOf(QStringLiteral("->"));
        if (arrow < 0)
            return touch(QFile::encodeName(pathOf(entry)));
        const QByteArray link = QFile::encodeName(pathOf(entry.left(arrow)));
        const QByteArray target = QFile::encodeName(entry.mid(arrow + 2));
        return ::symlink(target.constData(), link.constData()) == 0;
    }

    static bool touch(const QByteArray& file) {
        const int fd = ::open(file.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }

    crunchwise::testing::ScratchFolder folder_;
};
