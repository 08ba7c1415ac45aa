#include "ui/CellEditor.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace korvex::ui;

namespace {

// A grid window as the editors build them: materials-like columns, a quantity formatted with
// three decimals, a centred unit and a lookup over a few known descriptions.
class EditorWindow : public QWidget {
public:
    EditorWindow() {
        auto* layout = new QVBoxLayout(this);
        grid = new Grid(6, 4, this);
        grid->setHeader({"DESCRIPCIÓN", "UNIDAD", "CANTIDAD", "TOTAL"}, {3000, 900, 1200, 1200});
        other = new QPushButton("Otro", this);
        layout->addWidget(grid);
        layout->addWidget(other);
        editor = new CellEditor(this);
        CellEditRules rules;
        rules.columns = {0, 1, 2};
        rules.centredColumns = {1};
        rules.format = [](int, int col, const QString& text) {
            bool ok = false;
            const double value = text.toDouble(&ok);
            return col == 2 ? QString::number(ok ? value : 0.0, 'f', 3) : text;
        };
        rules.lookup = [this](int, int col, const QString& text) -> std::optional<QList<QStringList>> {
            if (col != 0)
                return std::nullopt;
            QList<QStringList> found;
            for (const QStringList& known : catalogue)
                if (known.at(0).startsWith(text, Qt::CaseInsensitive))
                    found.append(known);
            if (found.isEmpty())
                return std::nullopt;
            return found;
        };
        editor->attach(grid, rules);
        resize(700, 400);
    }

    void showAndFocus() {
        show();
        QApplication::setActiveWindow(this);
        ASSERT_TRUE(QTest::qWaitForWindowActive(this));
        grid->setFocus();
    }

    Grid* grid;
    QPushButton* other;
    CellEditor* editor;
    QList<QStringList> catalogue = {
        {"Cemento", "saco"}, {"Cemento", "kg"}, {"Clavos", "lb"}, {"Arena", "m3"}};
};

// Tests that change the window's rules or size do so before show().
struct CellEditorTest : ::testing::Test {
    void show() {
        w.showAndFocus();
        edit = w.findChild<QLineEdit*>("txtIngreso");
        ASSERT_NE(edit, nullptr);
    }
    // Types text into the current cell, the first character on the grid, and leaves with key.
    void type(const QString& text, Qt::Key key = Qt::Key_Return) {
        QTest::keyClicks(w.grid, text.left(1));
        QTest::keyClicks(edit, text.mid(1));
        QTest::keyClick(edit, key);
    }
    EditorWindow w;
    QLineEdit* edit = nullptr;
};

} // namespace

TEST_F(CellEditorTest, TypingOpensOverTheCellAndEnterWritesFormattedAndMovesOn) {
    show();
    EXPECT_TRUE(edit->isHidden());

    w.grid->setCell(1, 2);
    QTest::keyClick(w.grid, Qt::Key_1);
    ASSERT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->text(), "1");
    EXPECT_EQ(edit->cursorPosition(), 1);
    EXPECT_FALSE(w.editor->editingExisting());
    const QRect cell = w.grid->cellRect(1, 2);
    EXPECT_EQ(edit->geometry(), QRect(w.grid->mapTo(&w, cell.topLeft()), cell.size()));
    EXPECT_TRUE(edit->hasFocus());

    QSignalSpy committed(w.editor, &CellEditor::committed);
    QTest::keyClicks(edit, ".5");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.grid->text(1, 2), "1.500");
    EXPECT_EQ(committed.count(), 1);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_TRUE(w.grid->hasFocus());
    EXPECT_EQ(w.grid->row() * 100 + w.grid->col(), 200); // the last typed column wraps to the next row

    // A non-numeric quantity is written as zero; the unit is centred.
    w.grid->setCell(2, 1);
    type("kg");
    EXPECT_EQ(w.grid->text(2, 1), "kg");
    EXPECT_TRUE(w.grid->alignment(2, 1) & Qt::AlignHCenter);
    EXPECT_EQ(w.grid->col(), 2);
    type("x");
    EXPECT_EQ(w.grid->text(2, 2), "0.000");

    // Computed columns and the header row are not typed.
    w.grid->setCell(1, 3);
    QTest::keyClick(w.grid, Qt::Key_5);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(w.grid->text(1, 3), "");
}

TEST_F(CellEditorTest, EscAndFocusLossHideWithoutWriting) {
    show();
    w.grid->setText(1, 0, "Arena");
    w.grid->setCell(1, 0);

    type("b", Qt::Key_Escape);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(w.grid->text(1, 0), "Arena");
    EXPECT_TRUE(w.grid->hasFocus());
    EXPECT_EQ(w.grid->row(), 1);

    QTest::keyClick(w.grid, Qt::Key_B);
    ASSERT_TRUE(edit->isVisible());
    w.other->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(w.grid->text(1, 0), "Arena");
    EXPECT_TRUE(w.other->hasFocus()); // the focus stays where the user put it

    // Enter after reopening does not bring the dropped typing back.
    w.grid->setFocus();
    type("c");
    EXPECT_EQ(w.grid->text(1, 0), "c");
}

TEST_F(CellEditorTest, F12AndDoubleClickEditTheExistingTextWithArrowsForTheCaret) {
    show();
    w.grid->setText(1, 1, "m3");
    w.grid->setCell(2, 1);
    QTest::keyClick(w.grid, Qt::Key_F12); // empty cell: nothing
    EXPECT_TRUE(edit->isHidden());

    w.grid->setCell(1, 1);
    QTest::keyClick(w.grid, Qt::Key_F12);
    ASSERT_TRUE(edit->isVisible());
    EXPECT_TRUE(w.editor->editingExisting());
    EXPECT_EQ(edit->text(), "m3");
    EXPECT_EQ(edit->cursorPosition(), 2);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
        QTest::keyClick(edit, key);
    EXPECT_TRUE(edit->isVisible());
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.grid->text(1, 1), "3");
    EXPECT_FALSE(w.editor->editingExisting());
    EXPECT_EQ(w.grid->col(), 2);

    w.grid->setText(3, 0, "Clavos");
    const QRect cell = w.grid->cellRect(3, 0);
    QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, cell.center() - w.grid->viewport()->pos());
    ASSERT_TRUE(edit->isVisible());
    EXPECT_EQ(w.grid->row(), 3);
    EXPECT_EQ(edit->text(), "Clavos");
    QTest::keyClick(edit, Qt::Key_Escape);
}

TEST_F(CellEditorTest, ArrowsWhileTypingWriteAndMoveWithinTheRows) {
    show();
    w.grid->setCell(1, 1);
    type("u", Qt::Key_Left);
    EXPECT_EQ(w.grid->text(1, 1), "u");
    EXPECT_EQ(w.grid->col(), 0);
    type("v", Qt::Key_Up); // row 1 is the first data row: write, stay
    EXPECT_EQ(w.grid->row(), 1);
    EXPECT_EQ(w.grid->text(1, 0), "v");

    w.grid->setCell(5, 2);
    type("7", Qt::Key_Down); // last row: write, stay
    EXPECT_EQ(w.grid->text(5, 2), "7.000");
    EXPECT_EQ(w.grid->row(), 5);
    type("8");
    EXPECT_EQ(w.grid->row() * 100 + w.grid->rows(), 506);

    w.editor->rules(w.grid).growRows = true;
    type("9");
    EXPECT_EQ(w.grid->rows(), 7);
    EXPECT_EQ(w.grid->row() * 100 + w.grid->col(), 600);
}

TEST_F(CellEditorTest, DropDownListOffersMatchesAndAPickFillsTheValue) {
    QString pickedSeen;
    w.editor->rules(w.grid).commit = [&](Grid& grid, int row, int col, const QString& text,
                                         const QString& picked) {
        grid.setText(row, col, text);
        pickedSeen = picked;
        if (!picked.isEmpty()) {
            grid.setCol(1);
            grid.setText(row, 1, picked);
        }
    };
    show();
    w.grid->setCell(1, 0);
    QTest::keyClick(w.grid, Qt::Key_C);
    Grid* list = w.findChild<Grid*>("msfgIngreso");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->rows(), 3);
    EXPECT_EQ(list->text(2, 0), "Clavos");
    EXPECT_EQ(list->geometry().top(), edit->geometry().bottom() + 1);
    EXPECT_EQ(list->width(), edit->width());
    EXPECT_TRUE(edit->hasFocus());

    QTest::keyClick(edit, Qt::Key_E);
    EXPECT_EQ(list->rows(), 2);
    EXPECT_EQ(list->height(), 2 * 2 * list->rowHeight(0));
    QTest::keyClick(edit, Qt::Key_Z); // no match: the list stays as it was
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->rows(), 2);
    QTest::keyClick(edit, Qt::Key_Backspace);

    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_TRUE(edit->isVisible()); // going into the list does not close the editor
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->cursorPosition(), edit->text().size());
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);

    EXPECT_EQ(w.grid->text(1, 0), "Cemento");
    EXPECT_EQ(w.grid->text(1, 1), "kg");
    EXPECT_EQ(pickedSeen, "kg");
    EXPECT_TRUE(edit->isHidden());
    EXPECT_TRUE(list->isHidden());
    EXPECT_EQ(w.grid->col(), 2); // after the pick the next stop is the quantity
    EXPECT_TRUE(w.grid->hasFocus());

    // Leaving while the list is shown drops both.
    w.grid->setCell(2, 0);
    QTest::keyClick(w.grid, Qt::Key_A);
    ASSERT_TRUE(list->isVisible());
    w.other->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_TRUE(list->isHidden());
    EXPECT_EQ(w.grid->text(2, 0), "");
}

TEST_F(CellEditorTest, TheListStaysInsideTheGridAboveTheCellWhenThereIsNoRoomBelow) {
    for (int i = 0; i < 12; ++i)
        w.catalogue.append({QString("Cable %1").arg(i), "m"});
    w.grid->setRows(30);
    w.resize(700, 330);
    show();
    for (const int row : {1, 4, 8}) {
        SCOPED_TRACE(row);
        w.grid->setCell(row, 0);
        QTest::keyClick(w.grid, Qt::Key_C);
        Grid* list = w.findChild<Grid*>("msfgIngreso");
        ASSERT_TRUE(list && list->isVisible());
        EXPECT_TRUE(w.grid->geometry().contains(list->geometry())) << "inside the grid";
        EXPECT_FALSE(list->geometry().intersects(w.other->geometry())) << "off the button";
        EXPECT_FALSE(list->geometry().intersects(edit->geometry())) << "off the cell";
        if (row == 1) {
            EXPECT_EQ(list->geometry().top(), edit->geometry().bottom() + 1);
        }
        if (row == 8) {
            EXPECT_EQ(list->geometry().bottom() + 1, edit->geometry().top());
        }
        QTest::keyClick(edit, Qt::Key_Escape);
    }
}

TEST_F(CellEditorTest, KeyActionAndNextCellHooksReplaceTheDefaults) {
    auto& rules = w.editor->rules(w.grid);
    rules.keyAction = [](EditorKey key, bool, int, int) {
        return key == EditorKey::Right ? KeyAction::Ignore : KeyAction::Commit;
    };
    rules.nextCell = [](EditorKey key, int row, int col) -> std::optional<CellPosition> {
        if (key == EditorKey::Enter)
            return CellPosition{row + 1, col};
        return std::nullopt;
    };
    show();
    w.grid->setCell(1, 1);
    type("a", Qt::Key_Right);
    EXPECT_TRUE(edit->isVisible());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.grid->text(1, 1), "a");
    EXPECT_EQ(w.grid->row() * 100 + w.grid->col(), 201);
}
