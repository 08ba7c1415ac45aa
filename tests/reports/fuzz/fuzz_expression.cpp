// libFuzzer target: any text parsed as a report expression and as a text with {expressions}, and
// evaluated over a few rows, must end in a value or a TemplateError, never a crash, and never in
// more than the limits of a value allow.
#include "reports/Expression.h"

#include <cstddef>
#include <cstdint>

namespace {

using korvex::reports::EvaluationBudget;
using korvex::reports::Expression;
using korvex::reports::Scope;
using korvex::reports::TemplateError;
using korvex::reports::Value;
using korvex::reports::VarScope;

class Rows : public Scope {
public:
    Rows() {
        for (int i = 0; i < 3; ++i) {
            rows_.emplace_back(new VarScope(this));
            rows_.back()->set("x", Value(i * 1.5));
            rows_.back()->set("t", Value(QStringLiteral("Ñandú %1").arg(i)));
        }
    }

protected:
    std::optional<Value> lookup(const QString& name) const override {
        if (name == "total")
            return Value(12.5);
        return std::nullopt;
    }
    bool rows(const std::function<void(const Scope&)>& visit) const override {
        for (const auto& row : rows_)
            visit(*row);
        return true;
    }

private:
    std::vector<std::unique_ptr<VarScope>> rows_;
};

void evaluate(const Expression& expression, const Scope& scope) {
    // A small budget keeps each input quick; the limits themselves are what is fuzzed.
    const EvaluationBudget budget(200000);
    expression.evaluate(scope);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    static const Rows rows;
    try {
        evaluate(Expression::parse(text, QStringLiteral("fuzz")), rows);
    } catch (const TemplateError&) {
    }
    try {
        evaluate(Expression::parseInterpolated(text, QStringLiteral("fuzz")), rows);
    } catch (const TemplateError&) {
    }
    return 0;
}
