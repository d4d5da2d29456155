// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/compress_plan.h"

#include "app/frm_main.h"
#include "common/file_name_codec.h"
#include "core/compressed_name.h"
#include "core/output_plan.h"
#include "dialogs/replace_question.h"

#include <algorithm>

namespace crunchwise::commands {
namespace {

std::vector<std::string> allBytes(const QStringList& names) {
    std::vector<std::string> result;
    result.reserve(std::size_t(names.size()));
    for (const QString& name : names)
        result.push_back(FileNameCodec::hostPath(name));
    return result;
}

std::string outputName(const std::string& output) {
    return output.substr(output.rfind('/') + 1);
}

FileFailure refusal(const CompressSelection& selection, std::size_t entry, const OutputCheck& check,
                    const std::string& output) {
    const std::string compressed =
        FileNameCodec::displayText(FileNameCodec::fromHostPath(outputName(output))).toStdString();
    const std::string reason =
        check.verdict == OutputVerdict::isSource
            ? "its compressed name " + compressed + " is a selected file; not compressed"
            : "gives the same compressed name " + compressed + " as " +
                  displayName(selection, check.other) + "; not compressed";
    return {displayName(selection, entry), ErrorNumber::FileExists, reason};
}

} // namespace

CompressSelection captureSelection(const frmMain& form) {
    CompressSelection selection;
    selection.names = form.lstLongName;
    selection.paths = allBytes(form.lstToCompress);
    selection.shortNames = allBytes(form.lstDOSName);
    selection.longNames = allBytes(form.lstLongName);
    selection.shortFolder = FileNameCodec::hostPath(form.txtDOSPath);
    selection.shortDestination = FileNameCodec::hostPath(form.txtShortPathName);
    selection.destination = form.txtLongPathName;
    return selection;
}

std::string displayName(const CompressSelection& selection, std::size_t entry) {
    return FileNameCodec::displayText(selection.names.value(qsizetype(entry))).toStdString();
}

CompressPlan planCompress(QWidget* parent, const CompressSelection& selection,
                          const std::vector<std::size_t>& wanted) {
    // Short names are the long names on this host, so the final name of
    // each output is where its compression line writes.
    std::vector<OutputJob> jobs;
    for (std::size_t i = 0; i < selection.paths.size(); ++i)
        jobs.push_back({selection.paths[i],
                        selection.shortDestination + compressedName(selection.longNames[i])});
    const std::vector<OutputCheck> checks = checkOutputs(jobs);

    CompressPlan plan;
    std::vector<CompressFile> existing;
    QStringList existingNames;
    for (const std::size_t entry : wanted) {
        CompressFile file{entry, jobs[entry].output, {}};
        try {
            file.lines = batchLinesFor(selection.shortFolder, selection.shortNames[entry],
                                       selection.longNames[entry], selection.shortDestination);
        } catch (const RuntimeError& failure) {
            plan.refused.emplace(entry,
                                 FileFailure{displayName(selection, entry), failure.number(),
                                             failure.number() == ErrorNumber::BadName
                                                 ? "no batch line can carry this name (it holds a "
                                                   "double quote or a line break); not compressed"
                                                 : "it has no short name (was it removed?); not "
                                                   "compressed"});
            continue;
        }
        const OutputCheck& check = checks[entry];
        if (check.verdict == OutputVerdict::isSource ||
            check.verdict == OutputVerdict::takenEarlier) {
            plan.refused.emplace(entry, refusal(selection, entry, check, file.output));
        } else if (check.verdict == OutputVerdict::exists) {
            existingNames << FileNameCodec::fromHostPath(outputName(file.output));
            existing.push_back(std::move(file));
        } else {
            plan.files.push_back(std::move(file));
        }
    }
    if (!existing.empty() && askToReplace(parent, selection.destination, existingNames)) {
        plan.files.insert(plan.files.end(), existing.begin(), existing.end());
        std::sort(plan.files.begin(), plan.files.end(),
                  [](const CompressFile& a, const CompressFile& b) { return a.entry < b.entry; });
    } else {
        plan.declined = existing.size();
    }
    return plan;
}

} // namespace crunchwise::commands
