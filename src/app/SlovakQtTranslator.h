// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CSlovakQtTranslator: Qt's own texts in Slovak, from Qt's translations (qtbase_sk). Qt 6 asks
// for the texts of the standard buttons ("Yes", "No", "Cancel") under the context
// "QPlatformTheme", and the file dialog's "Folder" under "QAbstractFileIconProvider", while
// the Slovak translations keep them under Qt 5's "QDialogButtonBox" and "QFileDialog"; those
// are looked up there.
#include <QTranslator>

namespace orvane {

class CSlovakQtTranslator : public QTranslator {
    Q_OBJECT

public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText,
                      const char* disambiguation = nullptr, int n = -1) const override;
};

}  // namespace orvane
