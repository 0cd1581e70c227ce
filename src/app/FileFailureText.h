// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's Slovak words for a file that could not be read or written: the message names
// the file and the cause. Common causes are said in Slovak; any other keeps the C library's
// English text, and an undecodable file keeps the archive's own detail in brackets.
#include <QByteArray>
#include <QString>
#include <string>

#include "common/FileResult.h"

namespace orvane {

QString SlovakReason(const CFileResult& result);
QString CannotReadMessage(const QString& fileName, const CFileResult& result);
QString CannotWriteMessage(const QString& fileName, const CFileResult& result);

// The exports (accounts, results): why `path` is refused because it would lie in the folder
// that the server of `folder` serves to anyone logged in; empty when it would not.
QString ServedExportRefusal(const QString& path, const std::string& folder);
// Writes an export in one step, readable by its owner only; empty when written, else why not.
QString WriteExport(const QString& path, const QByteArray& bytes);

}  // namespace orvane
