#pragma once
// The few words of Qt's standard menus that Qt's Japanese translation puts differently from the
// Japanese menus students know ("すべてを選択" where they read "すべて選択"). Installed after
// Qt's own translation, it answers for those words only and leaves every other text to it.

#include <QTranslator>

namespace tamsel {

class MenuWording final : public QTranslator {
    Q_OBJECT

public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }
};

} // namespace tamsel
