#include "reports/Expression.h"

#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "store/NestingLevel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvex::reports {

std::optional<Value> Scope::find(const QString& name) const {
    for (const Scope* scope = this; scope; scope = scope->parent_) {
        if (auto value = scope->lookup(name))
            return value;
    }
    return std::nullopt;
}

bool Scope::forEachRow(const std::function<void(const Scope&)>& visit) const {
    for (const Scope* scope = this; scope; scope = scope->parent_) {
        if (scope->rows(visit))
            return true;
    }
    return false;
}

std::optional<Value> VarScope::lookup(const QString& name) const {
    const auto it = values_.constFind(name);
    if (it == values_.constEnd())
        return std::nullopt;
    return *it;
}

enum class Op { Literal, Name, Call, Neg, Not, Add, Sub, Mul, Div, Concat, Eq, Ne, Lt, Le, Gt, Ge, And, Or };

struct ExprNode {
    Op op = Op::Literal;
    Value literal;
    QString name;     // lower case, for Name and Call
    QString spelling; // as written, for messages
    std::vector<std::unique_ptr<ExprNode>> args;
    int height = 1; // levels of operators below and including this one
};

namespace {

constexpr int kMaxNesting = 256;
constexpr qsizetype kMaxTextLength = 1024 * 1024; // characters of one value

QString limitText() {
    return QStringLiteral("1 MB de texto");
}

thread_local EvaluationBudget* currentBudget = nullptr;

enum class Tok { End, Number, Text, Ident, Symbol };

struct Token {
    Tok kind = Tok::End;
    QString text;
    double number = 0;
    int position = 0;
};

bool isIdentStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isIdentPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

class Parser {
public:
    Parser(const QString& text, const QString& where, const QHash<QString, Value>* constants)
        : text_(text), where_(where), constants_(constants) {
        if (text_.size() > kMaxTextLength)
            throw TemplateError(
                QStringLiteral("%1: la expresión pasa del límite de %2").arg(where_, limitText()));
        advance();
    }

    std::unique_ptr<ExprNode> parseAll() {
        auto node = parseOr();
        if (token_.kind != Tok::End)
            fail(QStringLiteral("sobra «%1»").arg(token_.text));
        return node;
    }

    bool aggregates() const { return aggregates_; }

private:
    // One level of nesting while it lives; past the limit, this parser's refusal.
    auto nestingLevel() {
        return store::NestingLevel(depth_, kMaxNesting, [this] { tooDeep(); });
    }

    [[noreturn]] void tooDeep() const {
        fail(QStringLiteral("anida más de %1 niveles, el límite de una expresión").arg(kMaxNesting));
    }

    [[noreturn]] void fail(const QString& problem) const {
        throw TemplateError(QStringLiteral("%1: %2 en la expresión «%3»").arg(where_, problem, text_));
    }

    void advance() {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
        token_ = Token{};
        token_.position = pos_;
        if (pos_ >= text_.size())
            return;
        const QChar c = text_[pos_];
        if (c.isDigit() || (c == QLatin1Char('.') && pos_ + 1 < text_.size() && text_[pos_ + 1].isDigit())) {
            const int start = pos_;
            while (pos_ < text_.size() && (text_[pos_].isDigit() || text_[pos_] == QLatin1Char('.')))
                ++pos_;
            token_.kind = Tok::Number;
            token_.text = text_.mid(start, pos_ - start);
            bool ok = false;
            token_.number = token_.text.toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("número mal escrito «%1»").arg(token_.text));
            return;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const QChar quote = c;
            ++pos_;
            QString value;
            for (;;) {
                if (pos_ >= text_.size())
                    fail(QStringLiteral("falta cerrar un texto con %1").arg(quote));
                if (text_[pos_] == quote) {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
                        value += quote; // a doubled quote stands for itself
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                value += text_[pos_++];
            }
            token_.kind = Tok::Text;
            token_.text = value;
            return;
        }
        if (isIdentStart(c)) {
            const int start = pos_;
            while (pos_ < text_.size() &&
                   (isIdentPart(text_[pos_]) || (text_[pos_] == QLatin1Char('.') && pos_ + 1 < text_.size() &&
                                                 isIdentStart(text_[pos_ + 1]))))
                ++pos_;
            token_.kind = Tok::Ident;
            token_.text = text_.mid(start, pos_ - start);
            return;
        }
        static const QStringList twoChar = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                            QStringLiteral("!=")};
        const QString two = text_.mid(pos_, 2);
        token_.kind = Tok::Symbol;
        if (twoChar.contains(two)) {
            token_.text = two;
            pos_ += 2;
            return;
        }
        if (QStringLiteral("+-*/&=<>(),").contains(c)) {
            token_.text = c;
            ++pos_;
            return;
        }
        fail(QStringLiteral("carácter inesperado «%1»").arg(c));
    }

    bool isSymbol(const char* symbol) const {
        return token_.kind == Tok::Symbol && token_.text == QLatin1String(symbol);
    }
    bool isKeyword(const char* word) const {
        return token_.kind == Tok::Ident &&
               token_.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    void expect(const char* symbol) {
        if (!isSymbol(symbol))
            fail(token_.kind == Tok::End ? QStringLiteral("falta «%1» al final").arg(QLatin1String(symbol))
                                         : QStringLiteral("se esperaba «%1» antes de «%2»")
                                               .arg(QLatin1String(symbol), token_.text));
        advance();
    }

    std::unique_ptr<ExprNode> binary(Op op, std::unique_ptr<ExprNode> a, std::unique_ptr<ExprNode> b) {
        auto node = std::make_unique<ExprNode>();
        node->op = op;
        node->height = std::max(a->height, b->height) + 1;
        if (node->height + depth_ > kMaxNesting)
            tooDeep();
        node->args.push_back(std::move(a));
        node->args.push_back(std::move(b));
        return node;
    }

    std::unique_ptr<ExprNode> parseOr() {
        const auto level = nestingLevel();
        auto left = parseAnd();
        while (isKeyword("or")) {
            advance();
            left = binary(Op::Or, std::move(left), parseAnd());
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseAnd() {
        auto left = parseNot();
        while (isKeyword("and")) {
            advance();
            left = binary(Op::And, std::move(left), parseNot());
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseNot() {
        if (isKeyword("not")) {
            advance();
            const auto level = nestingLevel();
            auto node = std::make_unique<ExprNode>();
            node->op = Op::Not;
            node->args.push_back(parseNot());
            node->height = node->args.back()->height + 1;
            return node;
        }
        return parseComparison();
    }

    std::unique_ptr<ExprNode> parseComparison() {
        auto left = parseConcat();
        struct Pair {
            const char* symbol;
            Op op;
        };
        static const Pair pairs[] = {{"=", Op::Eq},  {"<>", Op::Ne}, {"!=", Op::Ne}, {"<=", Op::Le},
                                     {">=", Op::Ge}, {"<", Op::Lt},  {">", Op::Gt}};
        for (const auto& pair : pairs) {
            if (isSymbol(pair.symbol)) {
                advance();
                return binary(pair.op, std::move(left), parseConcat());
            }
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseConcat() {
        auto left = parseAdditive();
        while (isSymbol("&")) {
            advance();
            left = binary(Op::Concat, std::move(left), parseAdditive());
        }
        return left;
    }

    std::unique_ptr<ExprNode> parseAdditive() {
        auto left = parseMultiplicative();
        for (;;) {
            if (isSymbol("+")) {
                advance();
                left = binary(Op::Add, std::move(left), parseMultiplicative());
            } else if (isSymbol("-")) {
                advance();
                left = binary(Op::Sub, std::move(left), parseMultiplicative());
            } else {
                return left;
            }
        }
    }

    std::unique_ptr<ExprNode> parseMultiplicative() {
        auto left = parseUnary();
        for (;;) {
            if (isSymbol("*")) {
                advance();
                left = binary(Op::Mul, std::move(left), parseUnary());
            } else if (isSymbol("/")) {
                advance();
                left = binary(Op::Div, std::move(left), parseUnary());
            } else {
                return left;
            }
        }
    }

    std::unique_ptr<ExprNode> parseUnary() {
        if (isSymbol("-")) {
            advance();
            const auto level = nestingLevel();
            auto node = std::make_unique<ExprNode>();
            node->op = Op::Neg;
            node->args.push_back(parseUnary());
            node->height = node->args.back()->height + 1;
            return node;
        }
        if (isSymbol("+")) {
            advance();
            const auto level = nestingLevel();
            return parseUnary();
        }
        return parsePrimary();
    }

    std::unique_ptr<ExprNode> parsePrimary();

    QString text_;
    QString where_;
    int pos_ = 0;
    Token token_;
    const QHash<QString, Value>* constants_;
    bool aggregates_ = false;
    int depth_ = 0;
};

struct FunctionInfo {
    int minArgs;
    int maxArgs; // -1: any number
    bool aggregate;
};

const QHash<QString, FunctionInfo>& functions() {
    static const QHash<QString, FunctionInfo> table = {
        {QStringLiteral("round"), {1, 2, false}},  {QStringLiteral("roundeven"), {1, 2, false}},
        {QStringLiteral("iif"), {3, 3, false}},    {QStringLiteral("isnull"), {1, 1, false}},
        {QStringLiteral("nz"), {1, 2, false}},     {QStringLiteral("format"), {2, 2, false}},
        {QStringLiteral("text"), {1, 1, false}},   {QStringLiteral("number"), {1, 1, false}},
        {QStringLiteral("upper"), {1, 1, false}},  {QStringLiteral("lower"), {1, 1, false}},
        {QStringLiteral("trim"), {1, 1, false}},   {QStringLiteral("len"), {1, 1, false}},
        {QStringLiteral("abs"), {1, 1, false}},    {QStringLiteral("floor"), {1, 1, false}},
        {QStringLiteral("field"), {1, 1, false}},  {QStringLiteral("sumof"), {4, 4, false}},
        {QStringLiteral("repeat"), {2, 2, false}}, {QStringLiteral("sum"), {1, 1, true}},
        {QStringLiteral("count"), {0, 1, true}},   {QStringLiteral("avg"), {1, 1, true}},
        {QStringLiteral("min"), {1, -1, true}},    {QStringLiteral("max"), {1, -1, true}},
        {QStringLiteral("list"), {1, 2, true}},    {QStringLiteral("inwords"), {1, 1, false}},
        {QStringLiteral("tools"), {1, 1, false}},
    };
    return table;
}

std::unique_ptr<ExprNode> Parser::parsePrimary() {
    auto node = std::make_unique<ExprNode>();
    switch (token_.kind) {
    case Tok::End:
        fail(QStringLiteral("falta un valor al final"));
    case Tok::Number:
        node->literal = Value(token_.number);
        advance();
        return node;
    case Tok::Text:
        node->literal = Value(token_.text);
        advance();
        return node;
    case Tok::Symbol:
        if (isSymbol("(")) {
            advance();
            auto inner = parseOr();
            expect(")");
            return inner;
        }
        fail(QStringLiteral("se esperaba un valor en lugar de «%1»").arg(token_.text));
    case Tok::Ident:
        break;
    }
    const QString spelling = token_.text;
    const QString lower = spelling.toLower();
    advance();
    if (lower == QLatin1String("true") || lower == QLatin1String("verdadero")) {
        node->literal = Value(true);
        return node;
    }
    if (lower == QLatin1String("false") || lower == QLatin1String("falso")) {
        node->literal = Value(false);
        return node;
    }
    if (lower == QLatin1String("null")) {
        return node;
    }
    if (constants_ && !isSymbol("(")) {
        const auto constant = constants_->constFind(lower);
        if (constant != constants_->constEnd()) {
            node->literal = *constant;
            return node;
        }
    }
    node->name = lower;
    node->spelling = spelling;
    if (!isSymbol("(")) {
        node->op = Op::Name;
        return node;
    }
    advance();
    node->op = Op::Call;
    if (!isSymbol(")")) {
        for (;;) {
            node->args.push_back(parseOr());
            if (isSymbol(",")) {
                advance();
                continue;
            }
            break;
        }
    }
    expect(")");
    const auto it = functions().constFind(lower);
    if (it == functions().constEnd())
        fail(QStringLiteral("función desconocida «%1»").arg(spelling));
    const int count = static_cast<int>(node->args.size());
    // min and max with two or more arguments compare their arguments instead of rows.
    const bool scalarMinMax = (lower == QLatin1String("min") || lower == QLatin1String("max")) && count >= 2;
    if (count < it->minArgs || (it->maxArgs >= 0 && count > it->maxArgs))
        fail(QStringLiteral("número de argumentos incorrecto para «%1»").arg(spelling));
    if (lower == QLatin1String("sumof") && node->args[0]->op != Op::Name)
        fail(QStringLiteral("el primer argumento de «sumof» debe ser un nombre de variable"));
    if (it->aggregate && !scalarMinMax)
        aggregates_ = true;
    return node;
}

class LoopScope : public Scope {
public:
    LoopScope(const Scope* parent, QString name) : Scope(parent), name_(std::move(name)) {}
    Value value;

protected:
    std::optional<Value> lookup(const QString& name) const override {
        if (name == name_)
            return value;
        return std::nullopt;
    }

private:
    QString name_;
};

class Evaluator {
public:
    Evaluator(const Expression& expression) : expression_(expression) {}

    [[noreturn]] void fail(const QString& problem) const {
        throw TemplateError(QStringLiteral("%1: %2 en la expresión «%3»")
                                .arg(expression_.where(), problem, expression_.source()));
    }

    Value lookupName(const QString& lower, const QString& spelling, const Scope& scope) const {
        if (auto value = scope.find(lower))
            return *value;
        fail(QStringLiteral("no existe el campo o la fórmula «%1»").arg(spelling));
    }

    Value eval(const ExprNode& node, const Scope& scope) const;

    [[noreturn]] void tooLong() const {
        fail(QStringLiteral("un texto pasa del límite de %1 de un valor").arg(limitText()));
    }
    // text, refused when it would make a value (of `before` characters so far) too long.
    QString boundedText(QString text, qsizetype before = 0) const {
        if (before + text.size() > kMaxTextLength)
            tooLong();
        return text;
    }

private:
    Value call(const ExprNode& node, const Scope& scope) const;
    Value aggregate(const ExprNode& node, const Scope& scope) const;

    const Expression& expression_;
};

double divide(double a, double b) {
    return b == 0 ? 0 : a / b;
}

// In a comparison Null counts as 0 or "", as it does in arithmetic: an empty period is not > 0.
int ordered(const Value& a, const Value& b) {
    const auto blank = [](const Value& other) { return other.isText() ? Value(QString()) : Value(0.0); };
    if (a.isNull() && b.isNull())
        return 0;
    return Value::compare(a.isNull() ? blank(b) : a, b.isNull() ? blank(a) : b);
}

// 0 to 999 in Spanish words; apocope gives "un" / "veintiún" before "mil" and "millones".
QString hundredsInWords(int n, bool apocope) {
    static const char* const units[] = {
        "",           "uno",        "dos",        "tres",         "cuatro",      "cinco",      "seis",
        "siete",      "ocho",       "nueve",      "diez",         "once",        "doce",       "trece",
        "catorce",    "quince",     "dieciséis",  "diecisiete",   "dieciocho",   "diecinueve", "veinte",
        "veintiuno",  "veintidós",  "veintitrés", "veinticuatro", "veinticinco", "veintiséis", "veintisiete",
        "veintiocho", "veintinueve"};
    static const char* const tens[] = {"",          "",        "",        "treinta", "cuarenta",
                                       "cincuenta", "sesenta", "setenta", "ochenta", "noventa"};
    static const char* const hundreds[] = {
        "",           "ciento",      "doscientos",  "trescientos", "cuatrocientos",
        "quinientos", "seiscientos", "setecientos", "ochocientos", "novecientos"};
    if (n == 100)
        return QStringLiteral("cien");
    QStringList words;
    if (n >= 100)
        words.append(QString::fromUtf8(hundreds[n / 100]));
    const int rest = n % 100;
    QString last;
    if (rest > 0 && rest < 30) {
        last = QString::fromUtf8(units[rest]);
    } else if (rest >= 30) {
        last = QString::fromUtf8(tens[rest / 10]);
        if (rest % 10)
            last += QStringLiteral(" y ") + QString::fromUtf8(units[rest % 10]);
    }
    if (apocope && last.endsWith(QLatin1String("veintiuno")))
        last = last.left(last.size() - 9) + QStringLiteral("veintiún");
    else if (apocope && last.endsWith(QLatin1String("uno")))
        last.chop(1);
    if (!last.isEmpty())
        words.append(last);
    return words.join(QLatin1Char(' '));
}

QString integerInWords(qint64 n) {
    if (n == 0)
        return QStringLiteral("cero");
    QStringList words;
    const qint64 millions = n / 1000000;
    const int thousands = static_cast<int>((n / 1000) % 1000);
    const int units = static_cast<int>(n % 1000);
    if (millions == 1)
        words.append(QStringLiteral("un millón"));
    else if (millions > 1)
        words.append(
            (millions < 1000 ? hundredsInWords(static_cast<int>(millions), true) : integerInWords(millions)) +
            QStringLiteral(" millones"));
    if (thousands == 1)
        words.append(QStringLiteral("mil"));
    else if (thousands > 1)
        words.append(hundredsInWords(thousands, true) + QStringLiteral(" mil"));
    if (units > 0)
        words.append(hundredsInWords(units, false));
    return words.join(QLatin1Char(' '));
}

// An amount as written on a bid: "treinta y seis mil ochocientos nueve con 72/100".
QString amountInWords(double value) {
    const double rounded = engine::Redondear(std::fabs(value), 2);
    if (!std::isfinite(rounded) || rounded >= 1e15)
        return QString();
    const qint64 whole = static_cast<qint64>(std::floor(rounded));
    const int cents = static_cast<int>(std::lround((rounded - static_cast<double>(whole)) * 100)) % 100;
    const QString sign = value < 0 && rounded > 0 ? QStringLiteral("menos ") : QString();
    return sign + integerInWords(whole) + QStringLiteral(" con %1/100").arg(cents, 2, 10, QLatin1Char('0'));
}

Value Evaluator::eval(const ExprNode& node, const Scope& scope) const {
    if (!currentBudget->spend())
        fail(QStringLiteral("el cálculo pasa del límite de %1 pasos de un reporte")
                 .arg(currentBudget->limit()));
    const auto arg = [&](int i) { return eval(*node.args[static_cast<std::size_t>(i)], scope); };
    switch (node.op) {
    case Op::Literal:
        return node.literal;
    case Op::Name:
        return lookupName(node.name, node.spelling, scope);
    case Op::Call:
        return call(node, scope);
    case Op::Neg:
        return Value(-arg(0).toNumber());
    case Op::Not:
        return Value(!arg(0).truthy());
    case Op::Add:
        return Value(arg(0).toNumber() + arg(1).toNumber());
    case Op::Sub:
        return Value(arg(0).toNumber() - arg(1).toNumber());
    case Op::Mul:
        return Value(arg(0).toNumber() * arg(1).toNumber());
    case Op::Div:
        // A report divides by totals that can be zero (a project without labour); it prints 0.
        return Value(divide(arg(0).toNumber(), arg(1).toNumber()));
    case Op::Concat: {
        QString joined;
        for (const auto& part : node.args)
            joined += boundedText(eval(*part, scope).toText(), joined.size());
        return Value(joined);
    }
    case Op::Eq: {
        const Value a = arg(0);
        const Value b = arg(1);
        if (a.isNull() || b.isNull())
            return Value(a.toText().isEmpty() && b.toText().isEmpty());
        return Value(Value::compare(a, b) == 0);
    }
    case Op::Ne: {
        const Value a = arg(0);
        const Value b = arg(1);
        if (a.isNull() || b.isNull())
            return Value(!(a.toText().isEmpty() && b.toText().isEmpty()));
        return Value(Value::compare(a, b) != 0);
    }
    case Op::Lt:
        return Value(ordered(arg(0), arg(1)) < 0);
    case Op::Le:
        return Value(ordered(arg(0), arg(1)) <= 0);
    case Op::Gt:
        return Value(ordered(arg(0), arg(1)) > 0);
    case Op::Ge:
        return Value(ordered(arg(0), arg(1)) >= 0);
    case Op::And:
        return Value(arg(0).truthy() && arg(1).truthy());
    case Op::Or:
        return Value(arg(0).truthy() || arg(1).truthy());
    }
    return {};
}

int decimalsOf(const Value& value) {
    const double n = value.toNumber();
    return static_cast<int>(std::clamp(n, 0.0, 15.0));
}

Value Evaluator::call(const ExprNode& node, const Scope& scope) const {
    const auto arg = [&](int i) { return eval(*node.args[static_cast<std::size_t>(i)], scope); };
    const int count = static_cast<int>(node.args.size());
    const QString& f = node.name;
    if (f == QLatin1String("iif"))
        return arg(0).truthy() ? arg(1) : arg(2);
    if (f == QLatin1String("round"))
        return Value(engine::Redondear(arg(0).toNumber(), count > 1 ? decimalsOf(arg(1)) : 0));
    if (f == QLatin1String("roundeven"))
        return Value(engine::RedondearPar(arg(0).toNumber(), count > 1 ? decimalsOf(arg(1)) : 0));
    if (f == QLatin1String("tools")) // the allowance as the unit price computes it, not a rounding of ours
        return Value(engine::HerramientaManual(arg(0).toNumber()));
    if (f == QLatin1String("format")) {
        const Value v = arg(0);
        if (v.isNull() || (v.isText() && v.toText().trimmed().isEmpty()))
            return Value(QString());
        return Value(engine::formatNumber(v.toNumber(), arg(1).toText()));
    }
    if (f == QLatin1String("isnull")) {
        const Value v = arg(0);
        return Value(v.isNull() || (v.isText() && v.toText().isEmpty()));
    }
    if (f == QLatin1String("nz")) {
        const Value v = arg(0);
        if (!v.isNull())
            return v;
        return count > 1 ? arg(1) : Value(0.0);
    }
    if (f == QLatin1String("text"))
        return Value(arg(0).toText());
    if (f == QLatin1String("number"))
        return Value(arg(0).toNumber());
    if (f == QLatin1String("upper"))
        return Value(arg(0).toText().toUpper());
    if (f == QLatin1String("lower"))
        return Value(arg(0).toText().toLower());
    if (f == QLatin1String("trim"))
        return Value(arg(0).toText().trimmed());
    if (f == QLatin1String("len"))
        return Value(static_cast<double>(arg(0).toText().size()));
    if (f == QLatin1String("abs"))
        return Value(std::fabs(arg(0).toNumber()));
    if (f == QLatin1String("floor"))
        return Value(std::floor(arg(0).toNumber()));
    if (f == QLatin1String("inwords"))
        return Value(amountInWords(arg(0).toNumber()));
    if (f == QLatin1String("repeat")) {
        const QString text = arg(0).toText();
        const int times = static_cast<int>(std::clamp(arg(1).toNumber(), 0.0, 1000.0));
        if (static_cast<double>(text.size()) * times > static_cast<double>(kMaxTextLength))
            tooLong();
        return Value(text.repeated(times));
    }
    if (f == QLatin1String("field")) {
        const QString name = arg(0).toText();
        return lookupName(name.toLower(), name, scope);
    }
    if (f == QLatin1String("sumof")) {
        LoopScope loop(&scope, node.args[0]->name);
        const double from = arg(1).toNumber();
        const double to = arg(2).toNumber();
        double total = 0;
        for (double i = from; i <= to && i - from < 10000; i += 1) {
            loop.value = Value(i);
            total += eval(*node.args[3], loop).toNumber();
        }
        return Value(total);
    }
    if ((f == QLatin1String("min") || f == QLatin1String("max")) && count >= 2) {
        Value best = arg(0);
        for (int i = 1; i < count; ++i) {
            const Value v = arg(i);
            const int c = Value::compare(v, best);
            if (f == QLatin1String("min") ? c < 0 : c > 0)
                best = v;
        }
        return best;
    }
    return aggregate(node, scope);
}

// A row of an aggregate seen together with the scope the aggregate was evaluated in, so that a
// loop variable of sumof() is known inside sum().
class Overlay : public Scope {
public:
    Overlay(const Scope& row, const Scope& outer) : Scope(nullptr), row_(row), outer_(outer) {}

protected:
    std::optional<Value> lookup(const QString& name) const override {
        if (auto value = row_.find(name))
            return value;
        return outer_.find(name);
    }
    bool rows(const std::function<void(const Scope&)>& visit) const override {
        return row_.forEachRow(visit);
    }

private:
    const Scope& row_;
    const Scope& outer_;
};

Value Evaluator::aggregate(const ExprNode& node, const Scope& scope) const {
    const QString& f = node.name;
    const ExprNode* inner = node.args.empty() ? nullptr : node.args[0].get();
    double total = 0;
    int counted = 0;
    Value best;
    QStringList parts;
    qsizetype listed = 0;
    const bool found = scope.forEachRow([&](const Scope& row) {
        if (!inner) {
            ++counted;
            return;
        }
        const Overlay both(row, scope);
        const Value v = eval(*inner, both);
        if (f == QLatin1String("count")) {
            if (!v.isNull())
                ++counted;
        } else if (f == QLatin1String("list")) {
            if (!v.toText().isEmpty()) {
                listed += v.toText().size() + 2;
                if (listed > kMaxTextLength)
                    tooLong();
                parts.append(v.toText());
            }
        } else if (f == QLatin1String("min") || f == QLatin1String("max")) {
            if (v.isNull())
                return;
            const int c = best.isNull() ? 0 : Value::compare(v, best);
            if (best.isNull() || (f == QLatin1String("min") ? c < 0 : c > 0))
                best = v;
        } else {
            total += v.toNumber();
            ++counted;
        }
    });
    if (!found)
        fail(QStringLiteral("«%1» necesita filas: úsela en totales de una tabla o con \"data\"")
                 .arg(node.spelling));
    if (f == QLatin1String("sum"))
        return Value(total);
    if (f == QLatin1String("count"))
        return Value(static_cast<double>(counted));
    if (f == QLatin1String("avg"))
        return Value(counted ? total / counted : 0.0);
    if (f == QLatin1String("list")) {
        const QString separator =
            node.args.size() > 1 ? eval(*node.args[1], scope).toText() : QStringLiteral(", ");
        return Value(boundedText(parts.join(separator)));
    }
    return best;
}

} // namespace

Expression Expression::parse(const QString& text, const QString& where,
                             const QHash<QString, Value>* constants) {
    Parser parser(text, where, constants);
    Expression expression;
    expression.root_ = parser.parseAll();
    expression.source_ = text;
    expression.where_ = where;
    expression.aggregates_ = parser.aggregates();
    return expression;
}

Expression Expression::constant(const Value& value) {
    auto node = std::make_shared<ExprNode>();
    node->literal = value;
    Expression expression;
    expression.root_ = node;
    expression.source_ = value.toText();
    return expression;
}

Expression Expression::parseInterpolated(const QString& text, const QString& where,
                                         const QHash<QString, Value>* constants) {
    // Built as literal & (expr) & literal ..., so it evaluates like any other expression.
    std::vector<std::unique_ptr<ExprNode>> parts;
    bool aggregates = false;
    QString literal;
    const auto flushLiteral = [&] {
        if (literal.isEmpty())
            return;
        auto node = std::make_unique<ExprNode>();
        node->literal = Value(literal);
        parts.push_back(std::move(node));
        literal.clear();
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('{') && i + 1 < text.size() && text[i + 1] == QLatin1Char('{')) {
            literal += c;
            ++i;
        } else if (c == QLatin1Char('}') && i + 1 < text.size() && text[i + 1] == QLatin1Char('}')) {
            literal += c;
            ++i;
        } else if (c == QLatin1Char('{')) {
            int depth = 1;
            int j = i + 1;
            QChar quote;
            for (; j < text.size(); ++j) {
                const QChar d = text[j];
                if (!quote.isNull()) {
                    if (d == quote)
                        quote = QChar();
                } else if (d == QLatin1Char('\'') || d == QLatin1Char('"')) {
                    quote = d;
                } else if (d == QLatin1Char('{')) {
                    ++depth;
                } else if (d == QLatin1Char('}') && --depth == 0) {
                    break;
                }
            }
            if (j >= text.size())
                throw TemplateError(QStringLiteral("%1: falta cerrar «{» en el texto «%2»").arg(where, text));
            flushLiteral();
            Parser parser(text.mid(i + 1, j - i - 1), where, constants);
            parts.push_back(parser.parseAll());
            aggregates = aggregates || parser.aggregates();
            i = j;
        } else {
            literal += c;
        }
    }
    flushLiteral();
    Expression expression;
    expression.source_ = text;
    expression.where_ = where;
    expression.aggregates_ = aggregates;
    if (parts.empty()) {
        auto node = std::make_shared<ExprNode>();
        node->literal = Value(QString());
        expression.root_ = node;
        return expression;
    }
    if (parts.size() == 1 && parts.front()->op == Op::Literal) {
        expression.root_ = std::move(parts.front());
        return expression;
    }
    // One node joins every part, so a long text costs no depth; a lone expression still yields
    // text, as every interpolated string does.
    auto joined = std::make_unique<ExprNode>();
    joined->op = Op::Concat;
    if (parts.size() == 1) {
        auto empty = std::make_unique<ExprNode>();
        empty->literal = Value(QString());
        joined->args.push_back(std::move(empty));
    }
    for (auto& part : parts)
        joined->args.push_back(std::move(part));
    expression.root_ = std::move(joined);
    return expression;
}

Value Expression::evaluate(const Scope& scope) const {
    if (!root_)
        return {};
    if (!currentBudget) {
        EvaluationBudget budget;
        return evaluate(scope);
    }
    Evaluator evaluator(*this);
    return evaluator.eval(*root_, scope);
}

EvaluationBudget::EvaluationBudget(std::uint64_t limit) : limit_(limit), outer_(currentBudget) {
    currentBudget = this;
}

EvaluationBudget::~EvaluationBudget() {
    currentBudget = outer_;
}

Assignment parseAssignment(const QString& text, const QString& where) {
    const int equals = text.indexOf(QLatin1Char('='));
    const QString name = equals > 0 ? text.left(equals).trimmed() : QString();
    bool valid = !name.isEmpty() && isIdentStart(name[0]);
    for (const QChar c : name)
        valid = valid && isIdentPart(c);
    if (!valid)
        throw TemplateError(QStringLiteral("%1: se esperaba «Nombre = expresión» en «%2»").arg(where, text));
    return {name,
            Expression::parse(text.mid(equals + 1), where + QStringLiteral(" (") + name + QLatin1Char(')'))};
}

} // namespace korvex::reports
