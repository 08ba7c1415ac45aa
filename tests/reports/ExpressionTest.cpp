#include "reports/Expression.h"

#include <functional>
#include <gtest/gtest.h>

using korvex::reports::Expression;
using korvex::reports::Scope;
using korvex::reports::TemplateError;
using korvex::reports::Value;
using korvex::reports::VarScope;

namespace {

Value eval(const QString& text, const Scope& scope) {
    return Expression::parse(text, QStringLiteral("prueba")).evaluate(scope);
}

double number(const QString& text) {
    VarScope scope;
    return eval(text, scope).toNumber();
}

QString text(const QString& text) {
    VarScope scope;
    return eval(text, scope).toText();
}

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const TemplateError& error) {
        return error.message();
    }
    return {};
}

// Rows for aggregates: each row is a VarScope with field "x".
class RowsScope : public Scope {
public:
    explicit RowsScope(std::vector<double> values) {
        for (const double value : values) {
            auto row = std::make_unique<VarScope>(this);
            row->set(QStringLiteral("x"), Value(value));
            rows_.push_back(std::move(row));
        }
    }

protected:
    std::optional<Value> lookup(const QString&) const override { return std::nullopt; }
    bool rows(const std::function<void(const Scope&)>& visit) const override {
        for (const auto& row : rows_)
            visit(*row);
        return true;
    }

private:
    std::vector<std::unique_ptr<VarScope>> rows_;
};

} // namespace

TEST(Expression, ArithmeticUsesTheSystemsRounding) {
    EXPECT_DOUBLE_EQ(number("1 + 2 * 3"), 7);
    EXPECT_DOUBLE_EQ(number("(1 + 2) * 3 - -1"), 10);
    // The engine's rounding (pinned in its own tests): halves towards plus infinity, or to even.
    EXPECT_DOUBLE_EQ(number("round(2.345, 2)"), 2.35); // held as 2.34499..., still up
    EXPECT_DOUBLE_EQ(number("round(-1.235, 2)"), -1.23);
    EXPECT_DOUBLE_EQ(number("roundeven(0.125, 2)"), 0.12);
    EXPECT_DOUBLE_EQ(number("round(2.5)"), 3);
    // A total of zero prints a share of zero instead of failing.
    EXPECT_DOUBLE_EQ(number("10 / 0"), 0);
    EXPECT_DOUBLE_EQ(number("sumof(q, 1, 3, q * 2)"), 12);
    EXPECT_DOUBLE_EQ(number("max(3, 7, 5) + min(3, 7, 5)"), 10);
}

TEST(Expression, TextsComparisonsAndFormats) {
    EXPECT_EQ(text("'Hormig' & 'ón ' & 1.5"), "Hormigón 1.5");
    EXPECT_EQ(text("'f''c = 210'"), "f'c = 210");
    EXPECT_TRUE(number("'abc' = 'ABC'")); // like the database, letter case does not count
    EXPECT_TRUE(number("'10' = 10"));     // a text holding a number compares as the number
    EXPECT_TRUE(number("not (1 > 2) and 3 >= 3 or false"));
    EXPECT_TRUE(number("null = ''"));
    EXPECT_FALSE(number("null > 0")); // an empty field is not above zero
    EXPECT_TRUE(number("null < 1"));
    EXPECT_EQ(text("format(1234.5, '###,##0.00')"), "1,234.50");
    EXPECT_EQ(text("format(5.5, '###,#00.00')"), "05.50");
    EXPECT_EQ(text("format(null, '###,##0.00')"), "");
    EXPECT_EQ(text("upper(trim('  peón '))"), "PEÓN");
    EXPECT_EQ(text("repeat('-', 3)"), "---");
    EXPECT_EQ(text("inwords(36809.72)"), "treinta y seis mil ochocientos nueve con 72/100");
    EXPECT_EQ(text("inwords(21001100.05)"), "veintiún millones mil cien con 05/100");
    EXPECT_EQ(text("inwords(1)"), "uno con 00/100");
    EXPECT_EQ(text("inwords(0.5)"), "cero con 50/100");
    EXPECT_EQ(text("inwords(251315.999)"), "doscientos cincuenta y un mil trescientos dieciséis con 00/100");
    EXPECT_EQ(text("iif(1 > 0, 'sí', desconocido)"), "sí"); // the branch not taken is not evaluated
}

TEST(Expression, NamesResolveThroughTheScopeChain) {
    VarScope outer;
    outer.set(QStringLiteral("Proyecto.IVA"), Value(true));
    outer.set(QStringLiteral("TotalPres"), Value(12.34));
    VarScope inner(&outer);
    inner.set(QStringLiteral("CantidadPres"), Value(3.0));
    EXPECT_DOUBLE_EQ(eval("round(totalpres * CANTIDADPRES, 2)", inner).toNumber(), 37.02);
    EXPECT_EQ(eval("iif(Proyecto.IVA, 12, 0)", inner).toNumber(), 12);
    EXPECT_EQ(eval("field('Total' & 'Pres')", inner).toNumber(), 12.34);

    const QString message = errorOf([&] { eval("CantidadPres * PrecioMal", inner); });
    EXPECT_TRUE(message.contains("prueba")) << message.toStdString();
    EXPECT_TRUE(message.contains("PrecioMal")) << message.toStdString();
}

TEST(Expression, AggregatesRunOverTheRowsOfTheirScope) {
    RowsScope rows({2.5, 1.5, 4});
    EXPECT_DOUBLE_EQ(eval("sum(x * 2)", rows).toNumber(), 16);
    EXPECT_DOUBLE_EQ(eval("count()", rows).toNumber(), 3);
    EXPECT_DOUBLE_EQ(eval("avg(x)", rows).toNumber(), 8.0 / 3);
    EXPECT_DOUBLE_EQ(eval("max(x) - min(x)", rows).toNumber(), 2.5);
    EXPECT_EQ(eval("list(format(x, '0.0'), ' + ')", rows).toText(), "2.5 + 1.5 + 4.0");
    EXPECT_TRUE(Expression::parse("round(sum(x), 2)", "p").usesAggregates());
    EXPECT_FALSE(Expression::parse("max(1, 2)", "p").usesAggregates());

    VarScope noRows;
    EXPECT_TRUE(errorOf([&] { eval("sum(x)", noRows); }).contains("necesita filas"));
}

TEST(Expression, InterpolatedTexts) {
    VarScope scope;
    scope.set(QStringLiteral("iva"), Value(true));
    scope.set(QStringLiteral("page"), Value(2.0));
    EXPECT_EQ(Expression::parseInterpolated("IVA {iif(iva, 12, 0)} %", "t").evaluate(scope).toText(),
              "IVA 12 %");
    EXPECT_EQ(Expression::parseInterpolated("Página {page}", "t").evaluate(scope).toText(), "Página 2");
    EXPECT_EQ(Expression::parseInterpolated("{{literal}}", "t").evaluate(scope).toText(), "{literal}");
    EXPECT_EQ(Expression::parseInterpolated("{'}'}", "t").evaluate(scope).toText(), "}");
    EXPECT_EQ(Expression::parseInterpolated("", "t").evaluate(scope).toText(), "");
    EXPECT_TRUE(
        errorOf([] { Expression::parseInterpolated("Total {sum(x)", "t"); }).contains("falta cerrar"));
}

TEST(Expression, ParseErrorsSayWhereAndWhat) {
    const auto parseError = [](const QString& text) {
        return errorOf([&] { Expression::parse(text, QStringLiteral("body[0].columns[2].value")); });
    };
    EXPECT_TRUE(parseError("round(1, 2").contains("falta «)»"));
    EXPECT_TRUE(parseError("redondear(1)").contains("función desconocida «redondear»"));
    EXPECT_TRUE(parseError("round(1, 2, 3)").contains("número de argumentos"));
    EXPECT_TRUE(parseError("1 +").contains("falta un valor"));
    EXPECT_TRUE(parseError("'sin cerrar").contains("falta cerrar un texto"));
    EXPECT_TRUE(parseError("a # b").contains("carácter inesperado «#»"));
    EXPECT_TRUE(parseError("1 2").contains("sobra «2»"));
    EXPECT_TRUE(parseError("sumof(1, 1, 2, 3)").contains("nombre de variable"));
    EXPECT_TRUE(parseError("1 +").contains("body[0].columns[2].value"));

    QHash<QString, Value> constants{{QStringLiteral("p"), Value(7.0)}};
    VarScope scope;
    EXPECT_EQ(Expression::parse("'Periodo' & p & 'P'", "c", &constants).evaluate(scope).toText(),
              "Periodo7P");

    const auto assignment = korvex::reports::parseAssignment("Subtotal = round(1.005, 2)", "export[0]");
    EXPECT_EQ(assignment.name, "Subtotal");
    EXPECT_DOUBLE_EQ(assignment.expression.evaluate(scope).toNumber(), 1.01);
    EXPECT_TRUE(
        errorOf([] { korvex::reports::parseAssignment("= 3", "export[1]"); }).contains("Nombre = expresión"));
}

TEST(Expression, LimitsOfNestingTextAndSteps) {
    VarScope scope;
    EXPECT_TRUE(errorOf([&] {
                    eval(QString("(").repeated(5000) + "1" + QString(")").repeated(5000), scope);
                }).contains("anida más de 256 niveles"));
    EXPECT_TRUE(errorOf([&] { eval(QString("not ").repeated(5000) + "true", scope); }).contains("anida"));
    EXPECT_TRUE(errorOf([&] { eval("1" + QString(" + 1").repeated(5000), scope); }).contains("anida"));
    EXPECT_EQ(number(QString("(").repeated(200) + "1" + QString(")").repeated(200)), 1);

    const QString grows = "repeat(repeat(repeat(repeat('abcdefghij', 1000), 1000), 1000), 1000)";
    EXPECT_TRUE(errorOf([&] { eval(grows, scope); }).contains("1 MB de texto"));
    EXPECT_EQ(text("len(repeat('abcdefghij', 1000))"), "10000");
    EXPECT_TRUE(errorOf([&] {
                    eval("repeat(repeat('x', 1000), 1000) & repeat(repeat('y', 1000), 1000)", scope);
                }).contains("1 MB"));

    // A long text of {parts} is joined without nesting.
    scope.set("x", Value(QStringLiteral("ab")));
    EXPECT_EQ(Expression::parseInterpolated(QString("{x}-").repeated(30000), "t").evaluate(scope).toText(),
              QString("ab-").repeated(30000));

    // Steps, not time: the same expression stops at the same place in every build.
    const korvex::reports::EvaluationBudget budget(100000);
    EXPECT_EQ(number("sumof(i, 1, 100, i)"), 5050);
    EXPECT_TRUE(errorOf([&] {
                    eval("sumof(i, 1, 10000, sumof(j, 1, 10000, i * j))", scope);
                }).contains("límite de 100000 pasos"));
    EXPECT_GT(budget.used(), budget.limit());
}
