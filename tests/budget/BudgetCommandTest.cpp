#include "BudgetFixture.h"
#include "cli/CommandTable.h"

using namespace korvex;

namespace {

class BudgetCommand : public korvex::testing::BudgetProject {
protected:
    int run(const QStringList& args) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err), i(stdin);
        const int code = cli::run(QStringList{"--root", root.root()} + args, o, e, i);
        o.flush();
        e.flush();
        return code;
    }

    QString out;
    QString err;
};

TEST_F(BudgetCommand, PrintsThePricedBudgetInBudgetOrderOrRefusesAProjectWithoutHeader) {
    item("Z1", "1", "Excavacion", 3);
    lines("Z1", "1", 12.34);
    item("A1", "2", "Hormigon f'c = 210", 0.5);
    lines("A1", "2", 5.25);
    item("B1", "3", "Muro\tde ladrillo", 0);
    EXPECT_EQ(run({"budget", "Obra"}), 1);
    EXPECT_EQ(err.trimmed(), "Debe Ingresar primero los datos del Proyecto");
    EXPECT_TRUE(out.isEmpty());

    header(0, 0, true);
    ASSERT_EQ(run({"budget", "Obra"}), 0) << err.toStdString();
    EXPECT_EQ(out, "Z1\t1\tExcavacion\tm3\t3.00\t12.34\t37.02\n"
                   "A1\t2\tHormigon f'c = 210\tm3\t0.50\t5.25\t2.63\n"
                   "B1\t3\tMuro de ladrillo\tm3\t0.00\t0.00\t0.00\n"
                   "Subtotal\t39.65\nIVA 12%\t4.76\nTotal\t44.41\n");
    EXPECT_EQ(run({"budget"}), 2);
    EXPECT_EQ(run({"budget", "NoExiste"}), 1);
}

} // namespace
