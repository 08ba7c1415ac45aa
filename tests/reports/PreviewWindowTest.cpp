#include "FakeMessages.h"
#include "ProjectData.h"
#include "TestProject.h"
#include "reports/ReportButtons.h"
#include "reports/frmVistaPrevia.h"
#include "ui/MainWindowControls.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace korvex {
void wiring_reports(ui::WindowRegistry& registry);
}

using namespace korvex;
namespace kt = korvex::testing;

namespace {

// The main window as the report buttons see it.
class FakeMain : public QWidget, public ui::MainWindowControls {
public:
    QString folder;
    QStringList visible;
    QString currentFolder() const override { return folder; }
    bool isProjectOpen() const override { return true; }
    void showStatus(const QString&) override {}
    void showFormatButtons(const QStringList& names) override { visible = names; }
    void setFormatButtonsVisible(const QStringList& names, bool show) override {
        for (const QString& name : names) {
            visible.removeAll(name);
            if (show)
                visible.append(name);
        }
    }
    bool isFormatButtonVisible(const QString& name) const override { return visible.contains(name); }
};

QString textOf(QWidget* window, const char* name) {
    return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
}

QPushButton* buttonOf(QWidget* window, const char* name) {
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

class PreviewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        registry.clear();
        wiring_reports(registry);
    }
    void TearDown() override {
        registry.closeAll();
        registry.clear();
    }
    // The context the main window gives the buttons on a project.
    ui::WindowContext context(const QString& folder) {
        main.folder = folder;
        return {folder, root.root(), &main, {}};
    }

    kt::FakeMessages messages;
    kt::TempRoot root;
    FakeMain main;
    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
};

} // namespace

TEST_F(PreviewWindow, ReportButtonsOpenThePreviewWithPagesZoomPrintAndPdf) {
    const ui::WindowContext context = this->context(kt::sampleProjectWithSchedules(root.root()));

    ASSERT_TRUE(registry.triggerButton("cmdFormatoAna1", context));
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    auto* preview = qobject_cast<reports::frmVistaPrevia*>(registry.findWindow("frmVistaPrevia"));
    ASSERT_NE(preview, nullptr);
    const int pages = static_cast<int>(preview->document()->pages.size());
    EXPECT_EQ(pages, 14); // one page per item with a quantity
    // It opens fitted to the width of its page area, whatever size that area had before showing.
    const int area = preview->findChild<QScrollArea*>("scrPagina")->viewport()->width();
    EXPECT_GT(preview->scale() * preview->document()->size.width(), 0.85 * area);
    EXPECT_LE(preview->scale() * preview->document()->size.width(), area);
    EXPECT_EQ(textOf(preview, "lblPagina"), QStringLiteral("Página 1 de %1").arg(pages));
    EXPECT_FALSE(buttonOf(preview, "cmdAnterior")->isEnabled());

    QTest::mouseClick(buttonOf(preview, "cmdSiguiente"), Qt::LeftButton);
    EXPECT_EQ(preview->currentPage(), 1);
    QTest::keyClick(preview, Qt::Key_End);
    EXPECT_EQ(textOf(preview, "lblPagina"), QStringLiteral("Página %1 de %1").arg(pages));
    EXPECT_FALSE(buttonOf(preview, "cmdSiguiente")->isEnabled());
    QTest::keyClick(preview, Qt::Key_Home);
    EXPECT_EQ(preview->currentPage(), 0);

    preview->setZoom(100);
    const double full = preview->scale();
    preview->setZoom(50);
    EXPECT_NEAR(preview->scale(), full / 2, 1e-9);
    QTest::keyClick(preview, Qt::Key_Plus);
    EXPECT_GT(preview->scale(), full / 2);
    EXPECT_EQ(preview->findChild<QComboBox*>("cboZoom")->currentText(), "75 %");

    QTemporaryDir dir;
    EXPECT_TRUE(preview->exportTo(dir.filePath("analisis.pdf")));
    EXPECT_TRUE(QFile::exists(dir.filePath("analisis.pdf")));
    EXPECT_FALSE(preview->exportTo(dir.filePath("falta/analisis.pdf")));
    EXPECT_EQ(messages.count(), 1); // the failure is told, not thrown

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("impreso.pdf"));
    EXPECT_TRUE(preview->printTo(printer));
    EXPECT_GT(QFileInfo(dir.filePath("impreso.pdf")).size(), 1000);
    EXPECT_EQ(textOf(preview, "lblEstado"), QStringLiteral("Enviado a imprimir: %1 páginas").arg(pages));
    // A range counts the pages printed, not the report's.
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    EXPECT_TRUE(preview->printTo(printer));
    EXPECT_EQ(textOf(preview, "lblEstado"), "Enviado a imprimir: 2 páginas");

    // Another report button shows its report in the same preview.
    ASSERT_TRUE(registry.triggerButton("cmdFormatoPres1", context));
    EXPECT_EQ(registry.findWindow("frmVistaPrevia"), preview);
    EXPECT_EQ(textOf(preview, "lblPagina"), "Página 1 de 1");
    EXPECT_TRUE(preview->document()->pages.front().contains("PRESUPUESTO"));
}

TEST_F(PreviewWindow, GroupButtonsAndFailuresGoThroughTheMainWindowAndMessages) {
    const ui::WindowContext context = this->context(root.newProject());

    registry.triggerButton("cmdPresup", context);
    EXPECT_EQ(main.visible,
              QStringList({"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPres3", "cmdFormatoPresC"}));
    registry.triggerButton("cmdCronoP", context);
    EXPECT_EQ(main.visible.size(), 11);
    EXPECT_TRUE(main.visible.contains("cmdCronoTodo") && main.visible.contains("cmdCronoNuevo4"));
    registry.triggerButton("cmdImpAnalisis", context); // shows the analysis formats, hides the budget's
    EXPECT_FALSE(main.visible.contains("cmdFormatoPres1"));
    EXPECT_TRUE(main.visible.contains("cmdFormatoAna1") && main.visible.contains("cmdFormatoAna5"));
    registry.triggerButton("cmdImpAnalisis", context); // a second click hides them again
    EXPECT_FALSE(main.visible.contains("cmdFormatoAna1"));
    const bool crono = main.visible.contains("cmdCrono6");
    registry.triggerButton("cmdCronoP", context);
    EXPECT_NE(main.visible.contains("cmdCrono6"), crono);
    EXPECT_EQ(reports::formatButtons().size(), 16);

    // A new project, without header nor items: the budget button tells of the header and still
    // shows the budget, which says it has no items.
    ASSERT_TRUE(registry.triggerButton("cmdFormatoPres1", context));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "Debe ingresar primero los datos del Proyecto");
    auto* empty = qobject_cast<reports::frmVistaPrevia*>(registry.findWindow("frmVistaPrevia"));
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->document()->pages.front().contains("No hay rubros en el presupuesto"));
    // closeWindow, not closeAll: a closed window is only deleted once the event loop runs, and
    // until then the registry would still find it.
    ASSERT_TRUE(registry.closeWindow("frmVistaPrevia"));

    // A broken template: a message naming it, and no preview.
    QFile broken(reports::templatePath(root.root(), "Materiales.rpt"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("{ \"korvexReport\": 1, \"body\": [ {\"type\": \"tabla\"} ] }");
    broken.close();
    messages.clear();
    registry.triggerButton("cmdMaterial", context);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Error");
    EXPECT_TRUE(messages.lastText().contains("Materiales.rpt")) << messages.lastText().toStdString();
    EXPECT_TRUE(messages.lastText().contains("tipo de bloque desconocido «tabla»"));
    EXPECT_EQ(registry.findWindow("frmVistaPrevia"), nullptr);
}

// With KORVEX_SCREENSHOTS=<folder>: the preview of the sample project's budget, as the button
// opens it, drawn into reports-preview.png.
TEST_F(PreviewWindow, ScreenshotOfTheSampleBudget) {
    const QString out = qEnvironmentVariable("KORVEX_SCREENSHOTS");
    if (out.isEmpty())
        GTEST_SKIP() << "KORVEX_SCREENSHOTS not set";
    ASSERT_TRUE(
        registry.triggerButton("cmdFormatoPres2", context(kt::sampleProjectWithSchedules(root.root()))));
    QWidget* preview = registry.findWindow("frmVistaPrevia");
    ASSERT_NE(preview, nullptr);
    QTest::qWait(100);
    QDir().mkpath(out);
    EXPECT_TRUE(preview->grab().save(QDir(out).filePath("reports-preview.png")));
}
