// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's Slovak words for a file that could not be read or written: the message names
// the file and the cause. Common causes are said in Slovak; any other keeps the C library's
// English text, and an undecodable file keeps the archive's own detail in brackets.
#include <QString>

#include "common/FileResult.h"

namespace orvane {

QString SlovakReason(const CFileResult& result);
QString CannotReadMessage(const QString& fileName, const CFileResult& result);
QString CannotWriteMessage(const QString& fileName, const CFileResult& result);

}  // namespace orvane
