// GoogleTest main for tests that need a QApplication (widgets under the offscreen platform).
#include <QApplication>

#include <gtest/gtest.h>

#include "multi_lang.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Windows come up in English, as the program shows them with its default settings.
    switchAllLanguages(languageColumnOfSetting(0));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
