#include "FakeMessages.h"
#include "TestProject.h"
#include "shell/HelpFile.h"
#include "shell/HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTextBrowser>
#include <gtest/gtest.h>

using namespace korvex;

TEST(Help, TheShippedFileHasContentsAndASearchOverItsTopics) {
    korvex::testing::TempRoot temp; // laid out with the shipped help file
    QString reason;
    const auto file = shell::HelpFile::load(QDir(temp.root()).filePath("KORVEX.hlp"), &reason);
    ASSERT_TRUE(file) << reason.toStdString();
    EXPECT_EQ(file->contents().id, "contenido");
    for (const char* id : {"crear-proyecto", "rubros", "analisis", "precios", "imprimir"})
        EXPECT_NE(file->find(id), nullptr) << id;

    // Every link of the contents leads somewhere.
    QRegularExpression link(R"re(href="#([^"]+)")re");
    for (const shell::HelpTopic& topic : file->topics())
        for (auto it = link.globalMatch(topic.html); it.hasNext();)
            EXPECT_NE(file->find(it.next().captured(1)), nullptr) << topic.id.toStdString();

    const auto found = file->search("ANALISIS precio");
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found.first()->id, "analisis"); // accents and case ignored, title hits first
    EXPECT_TRUE(file->search("palabrainexistente").isEmpty());
    EXPECT_EQ(file->search("").size(), file->topics().size());
}

TEST(Help, ViewerFollowsLinksAndSearchesAndAMissingFileIsReported) {
    korvex::testing::TempRoot temp;
    korvex::testing::FakeMessages messages;
    shell::HelpViewer* viewer = shell::HelpViewer::showContents(temp.root());
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), "Ayuda de Korvex");
    EXPECT_EQ(viewer->currentTopicId(), "contenido");
    EXPECT_EQ(shell::HelpViewer::showContents(temp.root()), viewer); // one copy

    auto* browser = viewer->findChild<QTextBrowser*>("txtTema");
    emit browser->anchorClicked(QUrl("#crear-proyecto"));
    EXPECT_EQ(viewer->currentTopicId(), "crear-proyecto");
    EXPECT_TRUE(browser->toPlainText().contains("Nuevo Proyecto"));

    auto* search = viewer->findChild<QLineEdit*>("txtBuscar");
    search->setText("cronograma");
    EXPECT_FALSE(viewer->listedTopicIds().isEmpty());
    EXPECT_FALSE(viewer->listedTopicIds().contains("crear-proyecto"));
    viewer->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shell::HelpViewer::openViewer(), nullptr);

    QFile::remove(QDir(temp.root()).filePath("KORVEX.hlp"));
    EXPECT_EQ(shell::HelpViewer::showContents(temp.root()), nullptr);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Error");
    EXPECT_TRUE(messages.lastText().contains("KORVEX.hlp"));
}
