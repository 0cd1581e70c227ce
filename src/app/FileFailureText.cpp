// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileFailureText.h"

#include <QFile>

#include <cerrno>
#include <span>
#include <string_view>

#include "common/AtomicFile.h"
#include "common/DataFolder.h"

namespace orvane {
namespace {

struct ErrorText {
    int error;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {ENOENT, "súbor alebo priečinok neexistuje"},
    {EACCES, "prístup bol odmietnutý"},
    {EPERM, "operácia nie je povolená"},
    {EISDIR, "je to priečinok"},
    {ENOTDIR, "časť cesty nie je priečinok"},
    {ENOSPC, "na disku nie je voľné miesto"},
    {EDQUOT, "kvóta disku je vyčerpaná"},
    {EROFS, "súborový systém je len na čítanie"},
    {EFBIG, "súbor by bol väčší, ako je dovolené"},
    {EIO, "chyba vstupu alebo výstupu"},
    {ENOMEM, "nedostatok pamäte"},
    {ENAMETOOLONG, "názov je príliš dlhý"},
    {EMFILE, "príliš veľa otvorených súborov"},
    {ENFILE, "príliš veľa otvorených súborov"},
    {ELOOP, "príliš veľa symbolických odkazov"},
    {EBUSY, "zariadenie alebo súbor sa práve používa"},
    {ETXTBSY, "súbor sa práve používa"},
};

struct CauseText {
    std::string_view cause;  // as the archive begins its reason
    const char* text;
};

constexpr CauseText kCauseTexts[] = {
    {"end of data", "súbor je neúplný alebo poškodený"},
    {"bad class", "súbor obsahuje objekt neznámeho alebo nesprávneho druhu"},
    {"bad schema", "súbor obsahuje objekt nepodporovanej verzie"},
    {"bad index", "súbor obsahuje chybný odkaz na objekt"},
};

// What a file that is there but no regular file (a named pipe, a device) is called.
constexpr std::string_view kNotRegular = "not a regular file";

QString MalformedReason(const std::string& reason) {
    for (const CauseText& known : kCauseTexts) {
        if (std::string_view(reason).starts_with(known.cause)) {
            return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(known.text),
                                                 QString::fromStdString(reason));
        }
    }
    return QString::fromStdString(reason);
}

QString Message(const char* form, const QString& fileName, const CFileResult& result) {
    return QString::fromUtf8(form).arg(fileName, SlovakReason(result));
}

}  // namespace

QString SlovakReason(const CFileResult& result) {
    const std::string reason = result.Reason();
    if (result.GetKind() == CFileResult::Kind::Malformed) {
        return MalformedReason(reason);
    }
    if (reason == kNotRegular) {
        return QStringLiteral("nie je to obyčajný súbor");
    }
    for (const ErrorText& known : kErrorTexts) {
        if (known.error == result.Error()) {
            return QString::fromUtf8(known.text);
        }
    }
    return QString::fromStdString(reason);
}

QString CannotReadMessage(const QString& fileName, const CFileResult& result) {
    return Message("Súbor %1 sa nedá prečítať: %2.", fileName, result);
}

QString CannotWriteMessage(const QString& fileName, const CFileResult& result) {
    return Message("Súbor %1 sa nedá zapísať: %2.", fileName, result);
}

QString ServedExportRefusal(const QString& path, const std::string& folder) {
    if (!WouldBeServed(QFile::encodeName(path).toStdString(), folder)) {
        return {};
    }
    return QStringLiteral("Súbor %1 by ležal v pracovnom priečinku servera, odkiaľ by si ho "
                          "mohol stiahnuť ktokoľvek prihlásený. Zvoľte iný priečinok.")
        .arg(path);
}

QString WriteExport(const QString& path, const QByteArray& bytes) {
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size()));
    const CFileResult written =
        WriteFileAtomically(QFile::encodeName(path).toStdString(), data, kPrivateFileMode);
    return written.IsOk() ? QString() : CannotWriteMessage(path, written);
}

}  // namespace orvane
