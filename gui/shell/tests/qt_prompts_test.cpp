#include "qt_prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "temp_folder.h"
#include "when_modal.h"

namespace {

// The save question has Yes, No and Cancel; Escape and closing the box mean Cancel, so a
// reflex never throws work away.
TEST(QtPrompts, SaveQuestionEscapeAndCloseMeanCancel) {
    QtPrompts prompts;
    struct Case {
        std::function<void(QMessageBox*)> act;
        Reply reply;
    };
    const auto press = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox* box) { box->button(which)->click(); };
    };
    for (const Case& c :
         {Case{[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, Reply::Cancel},
          Case{[](QMessageBox* box) { box->close(); }, Reply::Cancel},
          Case{press(QMessageBox::Yes), Reply::Yes}, Case{press(QMessageBox::No), Reply::No},
          Case{[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, Reply::Yes}}) {
        whenModal<QMessageBox>([&c](QMessageBox* box) {
            EXPECT_EQ(box->text(), "EPD file changed - save file ?");
            EXPECT_EQ(box->windowTitle(), "Brisvane");
            EXPECT_EQ(box->buttons().size(), 3);
            c.act(box);
        });
        EXPECT_EQ(
            prompts.askYesNoCancel("Brisvane", "EPD file changed - save file ?", Icon::Question),
            c.reply);
    }
}

TEST(QtPrompts, FileFiltersMatchNamesInAnyCase) {
    EXPECT_EQ(qtNameFilters("EPD Files(*.EPD)|*.EPD"),
              QStringList{"EPD Files(*.EPD) (*.[Ee][Pp][Dd])"});
    TempFolder folder;
    for (const char* name : {"wac.epd", "STS.EPD", "Mixed.Epd", "notes.txt", "epd"})
        folder.write(name, "x");
    QtPrompts prompts;
    std::set<QString> shown;
    whenModal<QFileDialog>([&shown](QFileDialog* dialog) {
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        // The folder is listed in the background.
        QElapsedTimer waited;
        waited.start();
        while (view->model()->rowCount(view->rootIndex()) < 3 && waited.elapsed() < 5000)
            QTest::qWait(20);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            shown.insert(view->model()->index(row, 0, view->rootIndex()).data().toString());
        // The user sees the filter as written; the case-blind masks stay behind it.
        EXPECT_EQ(dialog->selectedNameFilter(), "EPD Files(*.EPD)");
        dialog->reject();
    });
    FileDialogRequest request;
    request.title = "Brisvane: Open EPD file";
    request.filter = "EPD Files(*.EPD)|*.EPD";
    request.initialDir = folder.root();
    EXPECT_FALSE(prompts.chooseOpenFile(request).has_value());
    EXPECT_EQ(shown, (std::set<QString>{"wac.epd", "STS.EPD", "Mixed.Epd"}));
}

}  // namespace
