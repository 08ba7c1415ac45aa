#pragma once
// A main window on a temporary root folder, with scripted message boxes and a registry of its own.

#include "FakeMessages.h"
#include "TestProject.h"
#include "shell/FolderLists.h"
#include "shell/frmPrincipal.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace korvex::testing {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        principal = std::make_unique<shell::frmPrincipal>(temp.root(), registry);
        principal->resize(1100, 560);
        principal->show();
        QApplication::setActiveWindow(principal.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(principal.get()));
    }
    void TearDown() override {
        principal.reset();
        registry.clear();
    }

    shell::FolderList* dir1() const { return principal->folderList(); }
    QPushButton* button(const QString& name) const { return principal->findChild<QPushButton*>(name); }
    QStringList visibleTabButtons() const {
        QStringList names;
        for (const shell::TabButtonSpec& dataDef : shell::frmPrincipal::tabButtonSpecs())
            if (!principal->tabButton(dataDef.name)->isHidden())
                names.append(dataDef.name);
        return names;
    }
    void openProject(const QString& folder) {
        ASSERT_TRUE(dir1()->setPath(folder));
        principal->openSelectedFolder();
        ASSERT_FALSE(principal->modoAbrir());
    }
    // Runs then() on the modal dialog the next action opens.
    static void onNextModal(std::function<void(QWidget*)> then) {
        QTimer::singleShot(0, [then] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            then(modal);
        });
    }

    TempRoot temp;
    FakeMessages messages;
    ui::WindowRegistry registry;
    std::unique_ptr<shell::frmPrincipal> principal;
};

} // namespace korvex::testing
