#include "app/SlovakQtTranslator.h"

#include <string_view>

namespace orvane {

QString CSlovakQtTranslator::translate(const char* context, const char* sourceText,
                                       const char* disambiguation, int n) const {
    QString found = QTranslator::translate(context, sourceText, disambiguation, n);
    if (found.isEmpty() && context != nullptr && std::string_view(context) == "QPlatformTheme") {
        found = QTranslator::translate("QDialogButtonBox", sourceText, disambiguation, n);
    }
    return found;
}

}  // namespace orvane
