#pragma once
// The small expression language of report templates: field names, formula names and variables,
// numbers, 'texts', arithmetic, comparisons, and/or/not, "&" to join texts, and functions such as
// round(x, 2) (the system's rounding), format(x, '###,##0.00'), iif(c, a, b) and the aggregates
// sum(x), count(), avg(x), min(x), max(x), list(x, ', ') over the rows of the table being
// printed. docs/templates.md lists them all.

#include "reports/Value.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace korvex::reports {

// A fault in a template or in evaluating it; the message is Spanish and says what is wrong.
class TemplateError : public std::runtime_error {
public:
    explicit TemplateError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString message() const { return message_; }

private:
    QString message_;
};

// Where names are looked up while evaluating: a chain of scopes, innermost first (the current
// row, the record being printed, the report's formulas and single-record queries).
class Scope {
public:
    explicit Scope(const Scope* parent = nullptr) : parent_(parent) {}
    virtual ~Scope() = default;
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    const Scope* parent() const { return parent_; }
    // name in lower case, possibly qualified ("g.descripciongru").
    std::optional<Value> find(const QString& name) const;
    // Calls visit for each row an aggregate covers here; false when no scope has rows.
    bool forEachRow(const std::function<void(const Scope&)>& visit) const;

protected:
    virtual std::optional<Value> lookup(const QString& name) const = 0;
    virtual bool rows(const std::function<void(const Scope&)>& visit) const { return false; }

private:
    const Scope* parent_;
};

// Named values: formulas, let-assignments, exported totals, the page number.
class VarScope : public Scope {
public:
    using Scope::Scope;
    void set(const QString& name, Value value) { values_.insert(name.toLower(), std::move(value)); }
    bool has(const QString& name) const { return values_.contains(name.toLower()); }

protected:
    std::optional<Value> lookup(const QString& name) const override;

private:
    QHash<QString, Value> values_;
};

struct ExprNode;

// The steps (operators, names, calls, rows of aggregates) evaluation may take while one lives on
// the thread: a report installs one for all its expressions, so a template cannot keep the program
// busy without end. Counted in steps rather than time, so a report prints or stops the same way
// in every build. An expression evaluated with none in force gets one of its own.
class EvaluationBudget {
public:
    // About twenty times what the longest shipped report takes on a 20,000-item project.
    static constexpr std::uint64_t kSteps = 1'000'000'000;

    explicit EvaluationBudget(std::uint64_t limit = kSteps);
    ~EvaluationBudget();
    EvaluationBudget(const EvaluationBudget&) = delete;
    EvaluationBudget& operator=(const EvaluationBudget&) = delete;

    // Counts one step; false once past the limit.
    bool spend() { return ++used_ <= limit_; }
    std::uint64_t used() const { return used_; }
    std::uint64_t limit() const { return limit_; }

private:
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
    EvaluationBudget* outer_;
};

class Expression {
public:
    Expression() = default;
    // Parses text; where names the place in the template for messages ("body[0].columns[2]").
    // Throws TemplateError.
    // constants: names replaced by values while parsing (the counter of repeated columns).
    static Expression parse(const QString& text, const QString& where,
                            const QHash<QString, Value>* constants = nullptr);
    // A text with {expression} parts, such as "IVA {iif(Proyecto.IVA, 12, 0)} %". "{{" is a "{".
    static Expression parseInterpolated(const QString& text, const QString& where,
                                        const QHash<QString, Value>* constants = nullptr);
    static Expression constant(const Value& value);

    bool isEmpty() const { return !root_; }
    bool usesAggregates() const { return aggregates_; }
    const QString& source() const { return source_; }
    const QString& where() const { return where_; }

    // Throws TemplateError naming the place and the problem (an unknown field, an aggregate
    // where there are no rows).
    Value evaluate(const Scope& scope) const;

private:
    std::shared_ptr<const ExprNode> root_;
    QString source_;
    QString where_;
    bool aggregates_ = false;
};

// "Name = expression", the form of let-assignments, exported totals and formulas.
struct Assignment {
    QString name;
    Expression expression;
};
Assignment parseAssignment(const QString& text, const QString& where);

} // namespace korvex::reports
