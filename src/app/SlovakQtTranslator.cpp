// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SlovakQtTranslator.h"

#include <array>
#include <string_view>
#include <utility>

namespace orvane {
namespace {

// Contexts of Qt 6 and where the Slovak translations keep the same texts (Qt 5's contexts).
constexpr std::array<std::pair<std::string_view, const char*>, 2> kOlderContexts = {{
    {"QPlatformTheme", "QDialogButtonBox"},
    {"QAbstractFileIconProvider", "QFileDialog"},
}};

}  // namespace

QString CSlovakQtTranslator::translate(const char* context, const char* sourceText,
                                       const char* disambiguation, int n) const {
    QString found = QTranslator::translate(context, sourceText, disambiguation, n);
    if (!found.isEmpty() || context == nullptr) {
        return found;
    }
    for (const auto& [newer, older] : kOlderContexts) {
        if (newer == context) {
            return QTranslator::translate(older, sourceText, disambiguation, n);
        }
    }
    return found;
}

}  // namespace orvane
