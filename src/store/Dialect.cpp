#include "store/Dialect.h"

#include "store/Database.h"
#include "store/NestingLevel.h"
#include "store/TextCompare.h"

#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace korvex::store::dialect {

namespace {

// ---------------------------------------------------------------------------------------------
// Tokens

enum class Tok { Word, Quoted, String, Number, Param, Symbol, End };

struct Token {
    Tok type = Tok::End;
    QString text;
    int pos = 0;
};

[[noreturn]] void fail(const QString& what, const QString& statement) {
    throw StoreError(QStringLiteral("Instrucción SQL no válida: %1").arg(what), statement);
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == '_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == '_';
}

std::vector<Token> tokenize(const QString& s, const QString& statement) {
    std::vector<Token> tokens;
    int i = 0;
    const int n = int(s.size());
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = i;
        if (isWordStart(c)) {
            int j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            t.type = Tok::Word;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (c.isDigit() || (c == '.' && i + 1 < n && s[i + 1].isDigit())) {
            int j = i;
            while (j < n && s[j].isDigit())
                ++j;
            if (j < n && s[j] == '.') {
                ++j;
                while (j < n && s[j].isDigit())
                    ++j;
            }
            if (j < n && (s[j] == 'e' || s[j] == 'E')) {
                int k = j + 1;
                if (k < n && (s[k] == '+' || s[k] == '-'))
                    ++k;
                if (k < n && s[k].isDigit()) {
                    while (k < n && s[k].isDigit())
                        ++k;
                    j = k;
                }
            }
            t.type = Tok::Number;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (c == '\'' || c == '"') {
            QString value;
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        value += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += s[j++];
            }
            if (!closed)
                fail(QStringLiteral("falta cerrar un texto entre comillas"), statement);
            t.type = Tok::String;
            t.text = value;
            i = j;
        } else if (c == '[') {
            const int close = int(s.indexOf(']', i + 1));
            if (close < 0)
                fail(QStringLiteral("falta cerrar un corchete"), statement);
            t.type = Tok::Quoted;
            t.text = s.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (c == '?') {
            t.type = Tok::Param;
            t.text = "?";
            ++i;
        } else {
            static const QStringList twoChar{"<>", "<=", ">=", "!="};
            const QString two = s.mid(i, 2);
            t.type = Tok::Symbol;
            if (twoChar.contains(two)) {
                t.text = two == "!=" ? QStringLiteral("<>") : two;
                i += 2;
            } else if (QStringLiteral("(),.*=<>+-/&;").contains(c)) {
                t.text = c;
                ++i;
            } else {
                fail(QStringLiteral("carácter no permitido «%1»").arg(c), statement);
            }
        }
        tokens.push_back(t);
    }
    Token end;
    end.pos = n;
    tokens.push_back(end);
    return tokens;
}

// ---------------------------------------------------------------------------------------------
// Syntax tree

struct Select;

struct Expr {
    enum class K {
        Column,
        String,
        Number,
        Param,
        Null,
        Bool,
        Unary,
        Binary,
        Call,
        CountStar,
        IsNull,
        In,
        Between,
        Like,
        Exists,
        Subquery
    };
    K k;
    QString qualifier; // Column
    QString name;      // Column name, Call name, Unary / Binary operator
    QString text;      // String value, Number text
    int param = -1;
    bool flag = false; // Bool value; IsNull / In / Between / Like / Unary NOT: negated; Call: DISTINCT
    int height = 1;    // levels of operators below and including this one
    std::vector<std::unique_ptr<Expr>> args;
    std::unique_ptr<Select> sub;
    explicit Expr(K kind) : k(kind) {}
};
using ExprPtr = std::unique_ptr<Expr>;

struct SelectItem {
    ExprPtr expr;
    QString alias;
    bool star = false;
    QString starQualifier;
};

enum class JoinType { First, Comma, Inner, Left };

struct Source {
    const TableDef* table = nullptr;
    std::unique_ptr<Select> derived;
    QString alias;
    JoinType join = JoinType::First;
    ExprPtr on;
};

struct OrderItem {
    ExprPtr expr;
    bool desc = false;
};

struct Select {
    bool distinct = false;
    int top = -1;
    std::vector<SelectItem> items;
    std::vector<Source> from;
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::vector<OrderItem> orderBy;
};

struct Statement {
    StatementKind kind = StatementKind::Select;
    std::unique_ptr<Select> select; // Select, and Insert ... SELECT
    const TableDef* table = nullptr;
    std::vector<const FieldDef*> columns; // Insert column list, Update SET fields
    std::vector<ExprPtr> values;          // Insert VALUES, Update SET values
    ExprPtr where;
};

// ---------------------------------------------------------------------------------------------
// Parser

const QSet<QString>& reservedWords() {
    static const QSet<QString> words{
        "SELECT",      "FROM",  "WHERE", "GROUP", "BY",     "HAVING", "ORDER",  "AND",     "OR",
        "NOT",         "INNER", "LEFT",  "RIGHT", "OUTER",  "FULL",   "CROSS",  "JOIN",    "ON",
        "AS",          "ASC",   "DESC",  "LIKE",  "IN",     "IS",     "NULL",   "BETWEEN", "DISTINCT",
        "DISTINCTROW", "TOP",   "UNION", "SET",   "VALUES", "INTO",   "INSERT", "UPDATE",  "DELETE",
        "EXISTS",      "TRUE",  "FALSE", "MOD",   "ALL"};
    return words;
}

// Parenthesised expressions, subqueries, chained operators: every level costs stack while the
// statement is parsed, translated and freed, so a statement deeper than this is refused.
constexpr int kMaxNesting = 256;
constexpr int kMaxStatementLength = 1000000;

class Parser {
public:
    Parser(std::vector<Token> tokens, const QString& statement, int* paramCounter, int depth = 0)
        : tokens_(std::move(tokens)), statement_(statement), params_(paramCounter), depth_(depth) {}

    Statement parseStatement() {
        Statement st;
        if (acceptWord("SELECT")) {
            st.kind = StatementKind::Select;
            st.select = parseSelectBody();
        } else if (acceptWord("DELETE")) {
            st.kind = StatementKind::Delete;
            parseDelete(st);
        } else if (acceptWord("INSERT")) {
            st.kind = StatementKind::Insert;
            parseInsert(st);
        } else if (acceptWord("UPDATE")) {
            st.kind = StatementKind::Update;
            parseUpdate(st);
        } else {
            fail(QStringLiteral("se esperaba SELECT, INSERT, UPDATE o DELETE"), statement_);
        }
        acceptSymbol(";");
        if (peek().type != Tok::End)
            unexpected();
        return st;
    }

    std::unique_ptr<Select> parseSubSelect() {
        expectWord("SELECT");
        auto s = parseSelectBody();
        acceptSymbol(";");
        if (peek().type != Tok::End)
            unexpected();
        return s;
    }

private:
    std::vector<Token> tokens_;
    size_t at_ = 0;
    QString statement_;
    int* params_;
    int depth_;

    // One level of nesting while it lives; past the limit, this parser's refusal.
    auto nestingLevel() {
        return store::NestingLevel(depth_, kMaxNesting, [this] { tooDeep(); });
    }

    [[noreturn]] void tooDeep() const {
        fail(QStringLiteral("anida más de %1 niveles de paréntesis, subconsultas u operaciones")
                 .arg(kMaxNesting),
             statement_);
    }

    const Token& peek(size_t ahead = 0) const {
        const size_t i = std::min(at_ + ahead, tokens_.size() - 1);
        return tokens_[i];
    }
    const Token& next() { return tokens_[std::min(at_++, tokens_.size() - 1)]; }

    bool isWord(const char* w, size_t ahead = 0) const {
        const Token& t = peek(ahead);
        return t.type == Tok::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char* s, size_t ahead = 0) const {
        const Token& t = peek(ahead);
        return t.type == Tok::Symbol && t.text == QLatin1String(s);
    }
    bool acceptWord(const char* w) {
        if (!isWord(w))
            return false;
        ++at_;
        return true;
    }
    bool acceptSymbol(const char* s) {
        if (!isSymbol(s))
            return false;
        ++at_;
        return true;
    }
    void expectWord(const char* w) {
        if (!acceptWord(w))
            fail(QStringLiteral("se esperaba %1 %2").arg(QLatin1String(w), where()), statement_);
    }
    void expectSymbol(const char* s) {
        if (!acceptSymbol(s))
            fail(QStringLiteral("se esperaba «%1» %2").arg(QLatin1String(s), where()), statement_);
    }
    QString where() const {
        const Token& t = peek();
        if (t.type == Tok::End)
            return QStringLiteral("al final");
        return QStringLiteral("en «%1»").arg(t.type == Tok::String ? "'" + t.text + "'" : t.text);
    }
    [[noreturn]] void unexpected() const {
        fail(QStringLiteral("texto inesperado %1").arg(where()), statement_);
    }

    bool isName(size_t ahead = 0) const {
        const Token& t = peek(ahead);
        if (t.type == Tok::Quoted)
            return true;
        return t.type == Tok::Word && !reservedWords().contains(t.text.toUpper());
    }
    QString expectName(const char* what) {
        if (!isName())
            fail(QStringLiteral("se esperaba %1 %2").arg(QLatin1String(what), where()), statement_);
        return next().text;
    }

    const TableDef* expectTable() {
        const QString name = expectName("el nombre de una tabla");
        const TableDef* table = findTable(name);
        if (!table)
            throw StoreError(QStringLiteral("No existe la tabla %1").arg(name), statement_);
        return table;
    }

    const FieldDef* expectField(const TableDef* table) {
        QString name = expectName("el nombre de un campo");
        if (acceptSymbol(".")) { // Table.Field
            if (!findTable(name) || findTable(name) != table)
                fail(QStringLiteral("el campo %1 no es de la tabla %2").arg(name, table->name), statement_);
            name = expectName("el nombre de un campo");
        }
        const FieldDef* f = table->field(name);
        if (!f)
            throw StoreError(QStringLiteral("No existe el campo %1 en la tabla %2").arg(name, table->name),
                             statement_);
        return f;
    }

    // SELECT is already read.
    std::unique_ptr<Select> parseSelectBody() {
        const auto level = nestingLevel();
        auto s = std::make_unique<Select>();
        if (acceptWord("DISTINCT") || acceptWord("DISTINCTROW"))
            s->distinct = true;
        else
            acceptWord("ALL");
        if (acceptWord("TOP")) {
            const Token& t = next();
            bool ok = false;
            const int n = t.text.toInt(&ok);
            if (t.type != Tok::Number || !ok || n < 0)
                fail(QStringLiteral("TOP necesita un número entero"), statement_);
            s->top = n;
        }
        do {
            s->items.push_back(parseSelectItem());
        } while (acceptSymbol(","));
        if (acceptWord("FROM"))
            parseFromList(s->from);
        if (acceptWord("WHERE"))
            s->where = parseExpr();
        if (acceptWord("GROUP")) {
            expectWord("BY");
            do {
                s->groupBy.push_back(parseExpr());
            } while (acceptSymbol(","));
        }
        if (acceptWord("HAVING"))
            s->having = parseExpr();
        if (acceptWord("ORDER")) {
            expectWord("BY");
            do {
                OrderItem item;
                item.expr = parseExpr();
                if (acceptWord("DESC"))
                    item.desc = true;
                else
                    acceptWord("ASC");
                s->orderBy.push_back(std::move(item));
            } while (acceptSymbol(","));
        }
        if (isWord("UNION"))
            fail(QStringLiteral("UNION no está admitido"), statement_);
        return s;
    }

    SelectItem parseSelectItem() {
        SelectItem item;
        if (acceptSymbol("*")) {
            item.star = true;
            return item;
        }
        if (isName() && isSymbol(".", 1) && isSymbol("*", 2)) {
            item.star = true;
            item.starQualifier = next().text;
            at_ += 2;
            return item;
        }
        item.expr = parseExpr();
        if (acceptWord("AS"))
            item.alias = expectAlias();
        else if (isName() || peek().type == Tok::String)
            item.alias = next().text;
        return item;
    }

    QString expectAlias() {
        const Token& t = peek();
        if (t.type == Tok::String || t.type == Tok::Word || t.type == Tok::Quoted)
            return next().text;
        return expectName("un alias");
    }

    void parseFromList(std::vector<Source>& from) {
        parseJoined(from, from.empty() ? JoinType::First : JoinType::Comma);
        while (acceptSymbol(","))
            parseJoined(from, JoinType::Comma);
    }

    void parseJoined(std::vector<Source>& from, JoinType firstJoin) {
        parsePrimarySource(from, firstJoin);
        for (;;) {
            JoinType join;
            if (isWord("INNER") && isWord("JOIN", 1)) {
                at_ += 2;
                join = JoinType::Inner;
            } else if (isWord("JOIN")) {
                ++at_;
                join = JoinType::Inner;
            } else if (isWord("LEFT")) {
                ++at_;
                acceptWord("OUTER");
                expectWord("JOIN");
                join = JoinType::Left;
            } else if (isWord("RIGHT") || isWord("FULL") || isWord("CROSS")) {
                fail(QStringLiteral("%1 JOIN no está admitido").arg(peek().text.toUpper()), statement_);
            } else {
                break;
            }
            const size_t first = from.size();
            parsePrimarySource(from, join);
            expectWord("ON");
            from[first].on = parseExpr();
        }
    }

    static bool looksLikeSelect(const QString& text) {
        const QString t = text.trimmed();
        return t.size() > 6 && t.left(6).compare(QLatin1String("SELECT"), Qt::CaseInsensitive) == 0 &&
               !isWordChar(t[6]);
    }

    void parsePrimarySource(std::vector<Source>& from, JoinType join) {
        const auto level = nestingLevel();
        Source src;
        src.join = join;
        if (peek().type == Tok::Quoted && looksLikeSelect(peek().text)) {
            // "[SELECT ...]. AS [alias]": the inner select written between brackets.
            const Token t = next();
            Parser inner(tokenize(t.text, statement_), statement_, params_, depth_);
            src.derived = inner.parseSubSelect();
            acceptSymbol(".");
            src.alias = parseSourceAlias(true);
        } else if (isSymbol("(") && isWord("SELECT", 1)) {
            ++at_;
            ++at_;
            src.derived = parseSelectBody();
            expectSymbol(")");
            src.alias = parseSourceAlias(true);
        } else if (acceptSymbol("(")) {
            // A parenthesised join: its sources join the list in order.
            parseFromListInner(from, join);
            expectSymbol(")");
            return;
        } else {
            src.table = expectTable();
            src.alias = parseSourceAlias(false);
        }
        from.push_back(std::move(src));
    }

    void parseFromListInner(std::vector<Source>& from, JoinType join) {
        parseJoined(from, join);
        while (acceptSymbol(","))
            parseJoined(from, JoinType::Comma);
    }

    QString parseSourceAlias(bool required) {
        if (acceptWord("AS"))
            return expectName("un alias");
        if (isName())
            return next().text;
        if (required)
            return QStringLiteral("korvex_derived");
        return {};
    }

    void parseDelete(Statement& st) {
        if (!acceptSymbol("*") && isName() && isSymbol(".", 1) && isSymbol("*", 2))
            at_ += 3;
        expectWord("FROM");
        st.table = expectTable();
        if (acceptWord("WHERE"))
            st.where = parseExpr();
    }

    void parseInsert(Statement& st) {
        expectWord("INTO");
        st.table = expectTable();
        if (acceptSymbol("(")) {
            do {
                st.columns.push_back(expectField(st.table));
            } while (acceptSymbol(","));
            expectSymbol(")");
        } else {
            for (const auto& f : st.table->fields)
                st.columns.push_back(&f);
        }
        if (acceptWord("VALUES")) {
            expectSymbol("(");
            do {
                st.values.push_back(parseExpr());
            } while (acceptSymbol(","));
            expectSymbol(")");
            if (st.values.size() != st.columns.size())
                fail(
                    QStringLiteral("hay %1 campos y %2 valores").arg(st.columns.size()).arg(st.values.size()),
                    statement_);
        } else if (acceptWord("SELECT")) {
            st.select = parseSelectBody();
        } else {
            fail(QStringLiteral("se esperaba VALUES o SELECT %1").arg(where()), statement_);
        }
    }

    void parseUpdate(Statement& st) {
        st.table = expectTable();
        expectWord("SET");
        do {
            st.columns.push_back(expectField(st.table));
            expectSymbol("=");
            st.values.push_back(parseExpr());
        } while (acceptSymbol(","));
        if (acceptWord("WHERE"))
            st.where = parseExpr();
    }

    // Expressions, lowest precedence first.
    ExprPtr parseExpr() {
        const auto level = nestingLevel();
        return parseOr();
    }

    ExprPtr binary(const QString& op, ExprPtr a, ExprPtr b) {
        auto e = std::make_unique<Expr>(Expr::K::Binary);
        e->name = op;
        e->height = std::max(a->height, b->height) + 1;
        if (e->height + depth_ > kMaxNesting)
            tooDeep();
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return e;
    }

    ExprPtr parseOr() {
        auto e = parseAnd();
        while (acceptWord("OR"))
            e = binary("OR", std::move(e), parseAnd());
        return e;
    }

    ExprPtr parseAnd() {
        auto e = parseNot();
        while (acceptWord("AND"))
            e = binary("AND", std::move(e), parseNot());
        return e;
    }

    ExprPtr parseNot() {
        if (acceptWord("NOT")) {
            const auto level = nestingLevel();
            auto e = std::make_unique<Expr>(Expr::K::Unary);
            e->name = "NOT";
            e->args.push_back(parseNot());
            e->height = e->args.back()->height + 1;
            return e;
        }
        return parseComparison();
    }

    ExprPtr parseComparison() {
        auto left = parseConcat();
        static const QStringList ops{"=", "<>", "<", ">", "<=", ">="};
        if (peek().type == Tok::Symbol && ops.contains(peek().text)) {
            const QString op = next().text;
            return binary(op, std::move(left), parseConcat());
        }
        if (acceptWord("IS")) {
            auto e = std::make_unique<Expr>(Expr::K::IsNull);
            e->flag = acceptWord("NOT");
            expectWord("NULL");
            e->args.push_back(std::move(left));
            return e;
        }
        const bool negated = isWord("NOT") && (isWord("LIKE", 1) || isWord("IN", 1) || isWord("BETWEEN", 1));
        if (negated)
            ++at_;
        if (acceptWord("LIKE")) {
            auto e = std::make_unique<Expr>(Expr::K::Like);
            e->flag = negated;
            e->args.push_back(std::move(left));
            e->args.push_back(parseConcat());
            return e;
        }
        if (acceptWord("IN")) {
            auto e = std::make_unique<Expr>(Expr::K::In);
            e->flag = negated;
            e->args.push_back(std::move(left));
            expectSymbol("(");
            if (acceptWord("SELECT")) {
                e->sub = parseSelectBody();
            } else {
                do {
                    e->args.push_back(parseConcat());
                } while (acceptSymbol(","));
            }
            expectSymbol(")");
            return e;
        }
        if (acceptWord("BETWEEN")) {
            auto e = std::make_unique<Expr>(Expr::K::Between);
            e->flag = negated;
            e->args.push_back(std::move(left));
            e->args.push_back(parseConcat());
            expectWord("AND");
            e->args.push_back(parseConcat());
            return e;
        }
        return left;
    }

    ExprPtr parseConcat() {
        auto e = parseAdd();
        while (acceptSymbol("&"))
            e = binary("&", std::move(e), parseAdd());
        return e;
    }

    ExprPtr parseAdd() {
        auto e = parseMul();
        for (;;) {
            if (acceptSymbol("+"))
                e = binary("+", std::move(e), parseMul());
            else if (acceptSymbol("-"))
                e = binary("-", std::move(e), parseMul());
            else
                return e;
        }
    }

    ExprPtr parseMul() {
        auto e = parseUnary();
        for (;;) {
            if (acceptSymbol("*"))
                e = binary("*", std::move(e), parseUnary());
            else if (acceptSymbol("/"))
                e = binary("/", std::move(e), parseUnary());
            else if (acceptWord("MOD"))
                e = binary("%", std::move(e), parseUnary());
            else
                return e;
        }
    }

    ExprPtr parseUnary() {
        if (isSymbol("-") || isSymbol("+")) {
            const auto level = nestingLevel();
            auto e = std::make_unique<Expr>(Expr::K::Unary);
            e->name = next().text;
            e->args.push_back(parseUnary());
            e->height = e->args.back()->height + 1;
            return e;
        }
        return parsePrimary();
    }

    ExprPtr parsePrimary() {
        const Token& t = peek();
        switch (t.type) {
        case Tok::Number: {
            auto e = std::make_unique<Expr>(Expr::K::Number);
            e->text = next().text;
            return e;
        }
        case Tok::String: {
            auto e = std::make_unique<Expr>(Expr::K::String);
            e->text = next().text;
            return e;
        }
        case Tok::Param: {
            next();
            auto e = std::make_unique<Expr>(Expr::K::Param);
            e->param = (*params_)++;
            return e;
        }
        case Tok::Symbol:
            if (acceptSymbol("(")) {
                if (acceptWord("SELECT")) {
                    auto e = std::make_unique<Expr>(Expr::K::Subquery);
                    e->sub = parseSelectBody();
                    expectSymbol(")");
                    return e;
                }
                auto e = parseExpr();
                expectSymbol(")");
                return e;
            }
            unexpected();
        case Tok::Word:
            if (acceptWord("NULL"))
                return std::make_unique<Expr>(Expr::K::Null);
            if (isWord("TRUE") || isWord("FALSE")) {
                auto e = std::make_unique<Expr>(Expr::K::Bool);
                e->flag = isWord("TRUE");
                ++at_;
                return e;
            }
            if (acceptWord("EXISTS")) {
                auto e = std::make_unique<Expr>(Expr::K::Exists);
                expectSymbol("(");
                expectWord("SELECT");
                e->sub = parseSelectBody();
                expectSymbol(")");
                return e;
            }
            if (isSymbol("(", 1) && !reservedWords().contains(t.text.toUpper()))
                return parseCall();
            [[fallthrough]];
        case Tok::Quoted:
            if (!isName())
                unexpected();
            return parseColumn();
        case Tok::End:
            break;
        }
        unexpected();
    }

    ExprPtr parseColumn() {
        auto e = std::make_unique<Expr>(Expr::K::Column);
        e->name = next().text;
        if (isSymbol(".") && isName(1)) {
            ++at_;
            e->qualifier = e->name;
            e->name = next().text;
        }
        return e;
    }

    ExprPtr parseCall() {
        const QString name = next().text;
        expectSymbol("(");
        if (name.compare(QLatin1String("count"), Qt::CaseInsensitive) == 0 && acceptSymbol("*")) {
            expectSymbol(")");
            return std::make_unique<Expr>(Expr::K::CountStar);
        }
        auto e = std::make_unique<Expr>(Expr::K::Call);
        e->name = name.toLower();
        if (acceptWord("DISTINCT"))
            e->flag = true;
        if (!acceptSymbol(")")) {
            do {
                e->args.push_back(parseExpr());
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
        return e;
    }
};

// ---------------------------------------------------------------------------------------------
// Translation to SQLite

struct ScopeColumn {
    QString name;
    FieldType type = FieldType::Unknown;
    QString originTable;
    bool stored = true; // a stored field (text compared with its NOCASE), not an expression
    QString sqlName;    // of a derived table's column: its name in the SQL, unique in the table

    QString ref() const { return sqlName.isEmpty() ? name : sqlName; }
};

struct ScopeSource {
    QString ref; // the name the SQL uses for it: alias, or the table name
    const TableDef* table = nullptr;
    std::vector<ScopeColumn> columns; // of a derived table
};

struct Scope {
    std::vector<ScopeSource> sources;
    const Scope* parent = nullptr;
};

struct Resolved {
    QString sql;
    FieldType type = FieldType::Unknown;
    QString field;
    bool stored = false;
};

QString bracket(const QString& name) {
    QString n = name;
    n.remove(']');
    return "[" + n + "]";
}

bool isAggregate(const QString& lowerName) {
    return lowerName == "sum" || lowerName == "count" || lowerName == "avg" || lowerName == "min" ||
           lowerName == "max";
}

bool containsAggregate(const Expr* e) {
    if (!e)
        return false;
    if (e->k == Expr::K::CountStar || (e->k == Expr::K::Call && isAggregate(e->name)))
        return true;
    for (const auto& a : e->args)
        if (containsAggregate(a.get()))
            return true;
    return false;
}

bool isValue(const Expr* e) {
    return e->k == Expr::K::String || e->k == Expr::K::Param || e->k == Expr::K::Number;
}

class Translator {
public:
    explicit Translator(const QString& statement) : statement_(statement) {}

    Translation run(Statement& st, int userParams) {
        out_.kind = st.kind;
        out_.userParamCount = userParams;
        switch (st.kind) {
        case StatementKind::Select:
            emitSelect(*st.select, nullptr, true);
            break;
        case StatementKind::Delete:
            emitDelete(st);
            break;
        case StatementKind::Insert:
            emitInsert(st);
            break;
        case StatementKind::Update:
            emitUpdate(st);
            break;
        }
        out_.pieces << current_;
        return std::move(out_);
    }

private:
    QString statement_;
    Translation out_;
    QString current_;
    bool writing_ = false; // emitting a value computed for a field: division by zero is refused

    void put(const QString& s) { current_ += s; }

    int addSlot(bool always) {
        out_.pieces << current_;
        current_.clear();
        CollationSlot slot;
        slot.always = always;
        out_.collations.push_back(slot);
        return int(out_.collations.size()) - 1;
    }

    int emitParam(const Expr* e, FieldType target, const QString& field, bool writes = false) {
        ParamSlot p;
        p.target = target;
        p.field = field;
        p.writes = writes;
        if (e->k == Expr::K::Param)
            p.userIndex = e->param;
        else if (e->k == Expr::K::Number)
            p.literal = e->text.toDouble();
        else
            p.literal = e->text;
        out_.params.push_back(p);
        put("?");
        return int(out_.params.size()) - 1;
    }

    [[noreturn]] void failHere(const QString& what) const { throw StoreError(what, statement_); }

    // ----- names

    static std::vector<ScopeColumn> columnsOf(const ScopeSource& s) {
        if (!s.table)
            return s.columns;
        std::vector<ScopeColumn> cols;
        for (const auto& f : s.table->fields)
            cols.push_back({f.name, f.type, s.table->name, true, {}});
        return cols;
    }

    std::optional<Resolved> lookupIn(const Scope& scope, const QString& qualifier,
                                     const QString& name) const {
        if (!qualifier.isEmpty()) {
            for (const auto& s : scope.sources) {
                if (s.ref.compare(qualifier, Qt::CaseInsensitive) != 0)
                    continue;
                std::optional<Resolved> found;
                for (const auto& c : columnsOf(s)) {
                    if (c.name.compare(name, Qt::CaseInsensitive) != 0)
                        continue;
                    if (found)
                        failHere(QStringLiteral("El campo %1.%2 es ambiguo").arg(qualifier, name));
                    found = Resolved{bracket(s.ref) + "." + bracket(c.ref()), c.type, c.name, c.stored};
                }
                if (found)
                    return found;
                failHere(QStringLiteral("No existe el campo %1.%2").arg(qualifier, name));
            }
            // The outer query of a derived table names its columns with the inner table's name.
            for (const auto& s : scope.sources) {
                if (s.table)
                    continue;
                for (const auto& c : s.columns)
                    if (c.originTable.compare(qualifier, Qt::CaseInsensitive) == 0 &&
                        c.name.compare(name, Qt::CaseInsensitive) == 0)
                        return Resolved{bracket(s.ref) + "." + bracket(c.ref()), c.type, c.name, c.stored};
            }
            return std::nullopt;
        }
        std::optional<Resolved> found;
        for (const auto& s : scope.sources) {
            for (const auto& c : columnsOf(s)) {
                if (c.name.compare(name, Qt::CaseInsensitive) != 0)
                    continue;
                if (found)
                    failHere(QStringLiteral("El campo %1 es ambiguo").arg(name));
                const QString sql =
                    scope.sources.size() == 1 ? bracket(c.ref()) : bracket(s.ref) + "." + bracket(c.ref());
                found = Resolved{sql, c.type, c.name, c.stored};
            }
        }
        return found;
    }

    Resolved resolve(const Scope& scope, const Expr& e) const {
        for (const Scope* s = &scope; s; s = s->parent)
            if (auto r = lookupIn(*s, e.qualifier, e.name))
                return *r;
        if (!e.qualifier.isEmpty())
            failHere(QStringLiteral("No existe el campo %1.%2").arg(e.qualifier, e.name));
        // An alias of the select list (ORDER BY TotalMat), or an unknown name SQLite will report.
        return Resolved{bracket(e.name), FieldType::Unknown, e.name};
    }

    // ----- types

    FieldType typeOf(const Expr& e, const Scope& scope) const {
        switch (e.k) {
        case Expr::K::Column:
            return resolve(scope, e).type;
        case Expr::K::String:
            return FieldType::Text;
        case Expr::K::Number:
            return FieldType::Double;
        case Expr::K::Bool:
            return FieldType::Boolean;
        case Expr::K::CountStar:
            return FieldType::Long;
        case Expr::K::Binary:
            if (e.name == "&")
                return FieldType::Text;
            if (e.name == "+" || e.name == "-" || e.name == "*" || e.name == "/" || e.name == "%")
                return FieldType::Double;
            return FieldType::Boolean;
        case Expr::K::Unary:
            return e.name == "NOT" ? FieldType::Boolean : typeOf(*e.args[0], scope);
        case Expr::K::Call: {
            const QString& n = e.name;
            if (n == "ucase" || n == "lcase" || n == "trim" || n == "ltrim" || n == "rtrim" || n == "mid" ||
                n == "left")
                return FieldType::Text;
            if (n == "count" || n == "len")
                return FieldType::Long;
            if ((n == "min" || n == "max" || n == "nz") && !e.args.empty())
                return typeOf(*e.args[0], scope);
            if (n == "iif" && e.args.size() == 3)
                return typeOf(*e.args[1], scope);
            return FieldType::Double;
        }
        default:
            return FieldType::Unknown;
        }
    }

    // ----- expressions

    // Emits a value that meets a field of the given type, converting it when it is bound.
    void emitOperand(const Expr& e, const Scope& scope, FieldType target, const QString& field,
                     std::vector<int>* valueParams, bool* allValues, bool writes = false) {
        if (isValue(&e) && target != FieldType::Unknown &&
            (e.k != Expr::K::Number || target == FieldType::Text || writes)) {
            const int p = emitParam(&e, target, field, writes);
            if (valueParams)
                valueParams->push_back(p);
            return;
        }
        if (e.k == Expr::K::Param || e.k == Expr::K::String) {
            const int p = emitParam(&e, target, field, writes);
            if (valueParams)
                valueParams->push_back(p);
            return;
        }
        if (allValues)
            *allValues = false;
        if (writes && target != FieldType::Unknown) {
            emitStoredValue(e, scope, target, field);
            return;
        }
        emitExpr(e, scope);
    }

    // A value computed by the statement goes through the same conversion as a bound one
    // (convertValue, run by the connection's SQL function), so no expression can store text in a
    // number, an infinity, or the Null of a division by zero.
    void emitStoredValue(const Expr& e, const Scope& scope, FieldType target, const QString& field) {
        put(QStringLiteral("%1(").arg(QLatin1String(kStoreValueFunction)));
        const bool outer = writing_;
        writing_ = true;
        emitExpr(e, scope);
        writing_ = outer;
        put(QStringLiteral(", %1, '%2')").arg(int(target)).arg(field));
    }

    struct Side {
        bool column = false;
        bool stored = false;
        FieldType type = FieldType::Unknown;
        QString field;
    };

    Side sideOf(const Expr& e, const Scope& scope) const {
        Side s;
        s.type = typeOf(e, scope);
        if (e.k == Expr::K::Column) {
            const Resolved r = resolve(scope, e);
            s.column = true;
            s.stored = r.stored;
            s.field = r.field;
        }
        return s;
    }

    void emitComparison(const Expr& e, const Scope& scope) {
        const Expr& a = *e.args[0];
        const Expr& b = *e.args[1];
        const Side sa = sideOf(a, scope);
        const Side sb = sideOf(b, scope);
        const bool text = sa.type == FieldType::Text || sb.type == FieldType::Text;
        const bool equality = e.name == "=" || e.name == "<>";
        put("(");
        if (sa.column && isValue(&b) && !sb.column) {
            emitExpr(a, scope);
            const int slot = text ? addSlot(!equality || !sa.stored) : -1;
            put(" " + e.name + " ");
            std::vector<int> ps;
            emitOperand(b, scope, sa.type, sa.field, &ps, nullptr);
            if (slot >= 0)
                out_.collations[slot].params = ps;
        } else if (sb.column && isValue(&a) && !sa.column) {
            std::vector<int> ps;
            emitOperand(a, scope, sb.type, sb.field, &ps, nullptr);
            put(" " + e.name + " ");
            emitExpr(b, scope);
            if (text)
                out_.collations[addSlot(!equality || !sb.stored)].params = ps;
        } else {
            emitOperand(a, scope, sb.column ? sb.type : FieldType::Unknown, sb.field, nullptr, nullptr);
            if (text)
                addSlot(true);
            put(" " + e.name + " ");
            emitOperand(b, scope, sa.column ? sa.type : FieldType::Unknown, sa.field, nullptr, nullptr);
        }
        put(")");
    }

    void emitIn(const Expr& e, const Scope& scope) {
        const Expr& left = *e.args[0];
        const Side s = sideOf(left, scope);
        put("(");
        emitExpr(left, scope);
        const bool text = s.type == FieldType::Text;
        const int slot = text ? addSlot(!s.stored) : -1;
        put(e.flag ? " NOT IN (" : " IN (");
        if (e.sub) {
            emitSubSelect(*e.sub, scope);
            if (slot >= 0)
                out_.collations[slot].always = true;
        } else {
            std::vector<int> ps;
            bool allValues = true;
            for (size_t i = 1; i < e.args.size(); ++i) {
                if (i > 1)
                    put(", ");
                emitOperand(*e.args[i], scope, s.type, s.field, &ps, &allValues);
            }
            if (slot >= 0) {
                out_.collations[slot].params = ps;
                out_.collations[slot].always = out_.collations[slot].always || !allValues;
            }
        }
        put("))");
    }

    void emitBetween(const Expr& e, const Scope& scope) {
        const Side s = sideOf(*e.args[0], scope);
        put("(");
        emitExpr(*e.args[0], scope);
        if (s.type == FieldType::Text)
            addSlot(true);
        put(e.flag ? " NOT BETWEEN " : " BETWEEN ");
        emitOperand(*e.args[1], scope, s.type, s.field, nullptr, nullptr);
        put(" AND ");
        emitOperand(*e.args[2], scope, s.type, s.field, nullptr, nullptr);
        put(")");
    }

    void emitCall(const Expr& e, const Scope& scope) {
        const QString& n = e.name;
        const size_t argc = e.args.size();
        auto arg = [&](size_t i) { emitExpr(*e.args[i], scope); };
        auto simple = [&](const QString& sqlName, size_t minArgs, size_t maxArgs) {
            if (argc < minArgs || argc > maxArgs)
                failHere(QStringLiteral("Número de argumentos incorrecto para %1").arg(n));
            put(sqlName + "(");
            if (e.flag)
                put("DISTINCT ");
            for (size_t i = 0; i < argc; ++i) {
                if (i)
                    put(", ");
                arg(i);
            }
            put(")");
        };
        if (n == "sum" || n == "avg" || n == "count" || n == "min" || n == "max" || n == "abs")
            simple(n, 1, 1);
        else if (n == "round")
            simple("round", 1, 2);
        else if (n == "ucase")
            simple("upper", 1, 1);
        else if (n == "lcase")
            simple("lower", 1, 1);
        else if (n == "len")
            simple("length", 1, 1);
        else if (n == "trim" || n == "ltrim" || n == "rtrim")
            simple(n, 1, 1);
        else if (n == "mid")
            simple("substr", 2, 3);
        else if (n == "left" && argc == 2) {
            put("substr(");
            arg(0);
            put(", 1, ");
            arg(1);
            put(")");
        } else if (n == "nz" && (argc == 1 || argc == 2)) {
            put("ifnull(");
            arg(0);
            put(", ");
            if (argc == 2)
                arg(1);
            else
                put("0");
            put(")");
        } else if (n == "iif" && argc == 3) {
            put("(CASE WHEN ");
            arg(0);
            put(" THEN ");
            arg(1);
            put(" ELSE ");
            arg(2);
            put(" END)");
        } else {
            failHere(QStringLiteral("Función desconocida %1").arg(n));
        }
    }

    void emitExpr(const Expr& e, const Scope& scope) {
        switch (e.k) {
        case Expr::K::Column:
            put(resolve(scope, e).sql);
            return;
        case Expr::K::String:
        case Expr::K::Param:
            emitParam(&e, FieldType::Unknown, {});
            return;
        case Expr::K::Number:
            put(e.text);
            return;
        case Expr::K::Null:
            put("NULL");
            return;
        case Expr::K::Bool:
            put(e.flag ? "-1" : "0");
            return;
        case Expr::K::CountStar:
            put("count(*)");
            return;
        case Expr::K::Unary:
            put(e.name == "NOT" ? "(NOT " : "(" + e.name);
            emitExpr(*e.args[0], scope);
            put(")");
            return;
        case Expr::K::Binary:
            if (e.name == "AND" || e.name == "OR" || e.name == "+" || e.name == "-" || e.name == "*" ||
                e.name == "/" || e.name == "%" || e.name == "&") {
                if (writing_ && (e.name == "/" || e.name == "%")) {
                    put(QStringLiteral("%1(").arg(QLatin1String(kDivideFunction)));
                    emitExpr(*e.args[0], scope);
                    put(", ");
                    emitExpr(*e.args[1], scope);
                    put(QStringLiteral(", '%1')").arg(e.name));
                    return;
                }
                put("(");
                emitExpr(*e.args[0], scope);
                put(e.name == "&" ? " || " : " " + e.name + " ");
                emitExpr(*e.args[1], scope);
                put(")");
            } else {
                emitComparison(e, scope);
            }
            return;
        case Expr::K::Call:
            emitCall(e, scope);
            return;
        case Expr::K::IsNull:
            put("(");
            emitExpr(*e.args[0], scope);
            put(e.flag ? " IS NOT NULL)" : " IS NULL)");
            return;
        case Expr::K::Like:
            put("(");
            emitExpr(*e.args[0], scope);
            put(e.flag ? " NOT LIKE " : " LIKE ");
            emitOperand(*e.args[1], scope, FieldType::Text, {}, nullptr, nullptr);
            put(")");
            return;
        case Expr::K::In:
            emitIn(e, scope);
            return;
        case Expr::K::Between:
            emitBetween(e, scope);
            return;
        case Expr::K::Exists:
            put("EXISTS (");
            emitSubSelect(*e.sub, scope);
            put(")");
            return;
        case Expr::K::Subquery:
            put("(");
            emitSubSelect(*e.sub, scope);
            put(")");
            return;
        }
    }

    // ----- statements

    void emitSubSelect(const Select& s, const Scope& outer) { emitSelect(s, &outer, false); }

    Scope buildScope(const Select& s, const Scope* parent) {
        Scope scope;
        scope.parent = parent;
        for (const auto& src : s.from) {
            ScopeSource ss;
            ss.table = src.table;
            ss.ref = src.alias.isEmpty() ? (src.table ? src.table->name : QString()) : src.alias;
            if (src.derived)
                ss.columns = derivedColumns(*src.derived, parent);
            scope.sources.push_back(ss);
        }
        return scope;
    }

    std::vector<ScopeColumn> derivedColumns(const Select& inner, const Scope* parent) {
        const Scope scope = buildScope(inner, parent);
        std::vector<ScopeColumn> cols;
        for (const auto& item : inner.items) {
            if (item.star) {
                for (const auto& s : scope.sources) {
                    if (!item.starQualifier.isEmpty() &&
                        s.ref.compare(item.starQualifier, Qt::CaseInsensitive) != 0)
                        continue;
                    for (const auto& c : columnsOf(s))
                        cols.push_back(c);
                }
                continue;
            }
            ScopeColumn c;
            c.type = typeOf(*item.expr, scope);
            c.stored = false;
            if (item.expr->k == Expr::K::Column) {
                const Resolved r = resolve(scope, *item.expr);
                c.name = r.field;
                c.stored = r.stored;
                c.originTable = item.expr->qualifier;
                if (c.originTable.isEmpty()) {
                    for (const auto& s : scope.sources)
                        for (const auto& sc : columnsOf(s))
                            if (sc.name.compare(r.field, Qt::CaseInsensitive) == 0)
                                c.originTable = sc.originTable;
                } else if (const TableDef* t = findTable(c.originTable)) {
                    c.originTable = t->name;
                }
            }
            if (!item.alias.isEmpty())
                c.name = item.alias;
            cols.push_back(c);
        }
        // Materiales.ItemPres next to Presupuesto.ItemPres: the second one is called by its
        // qualified name inside the SQL, so that the outer query's qualified names reach the right
        // column; the record set still names it after the field.
        QSet<QString> used;
        for (auto& c : cols) {
            QString n = c.name.isEmpty() ? QStringLiteral("Expr") : c.name;
            if (used.contains(n.toLower()) && !c.originTable.isEmpty())
                n = c.originTable + "." + c.name;
            const QString base = n;
            for (int i = 1; used.contains(n.toLower()); ++i)
                n = base + ":" + QString::number(i);
            used.insert(n.toLower());
            c.sqlName = n;
        }
        return cols;
    }

    void emitTextKey(const Expr& e, const Scope& scope) {
        emitExpr(e, scope);
        if (e.k == Expr::K::Column && typeOf(e, scope) == FieldType::Text)
            addSlot(true);
    }

    // A derived table (derived) names every column uniquely, as derivedColumns says; the top
    // select names its columns after the fields, and an unnamed expression Expr1000, Expr1001...
    void emitSelect(const Select& s, const Scope* parent, bool top, bool derived = false) {
        const Scope scope = buildScope(s, parent);
        const std::vector<ScopeColumn> names =
            derived ? derivedColumns(s, parent) : std::vector<ScopeColumn>{};
        size_t column = 0;
        int unnamed = 1000;
        bool aggregate = !s.groupBy.empty() || s.having;
        for (const auto& item : s.items)
            aggregate = aggregate || containsAggregate(item.expr.get());
        const bool oneTable = s.from.size() == 1 && s.from[0].table;
        const bool editable = top && oneTable && !aggregate && !s.distinct;

        put(s.distinct ? "SELECT DISTINCT " : "SELECT ");
        for (size_t i = 0; i < s.items.size(); ++i) {
            if (i)
                put(", ");
            const SelectItem& item = s.items[i];
            bool starOverDerived = false;
            for (const auto& src : scope.sources)
                starOverDerived = starOverDerived || (item.star && !src.table);
            if (item.star && (derived || starOverDerived)) {
                // Spelt out, so that every column gets its unique name inside the SQL and the
                // name of its field in the result.
                bool first = true;
                for (const auto& src : scope.sources) {
                    if (!item.starQualifier.isEmpty() &&
                        src.ref.compare(item.starQualifier, Qt::CaseInsensitive) != 0)
                        continue;
                    for (const auto& c : columnsOf(src)) {
                        put((first ? "" : ", ") + bracket(src.ref) + "." + bracket(c.ref()) + " AS " +
                            bracket(derived ? names[column++].sqlName : c.name));
                        first = false;
                    }
                }
                if (first)
                    failHere(QStringLiteral("No existe la tabla o el alias %1").arg(item.starQualifier));
                continue;
            }
            if (item.star) {
                if (item.starQualifier.isEmpty()) {
                    put("*");
                } else {
                    bool known = false;
                    for (const auto& src : scope.sources)
                        if (src.ref.compare(item.starQualifier, Qt::CaseInsensitive) == 0) {
                            put(bracket(src.ref) + ".*");
                            known = true;
                        }
                    if (!known)
                        failHere(QStringLiteral("No existe la tabla o el alias %1").arg(item.starQualifier));
                }
                continue;
            }
            emitExpr(*item.expr, scope);
            const bool textColumn =
                item.expr->k == Expr::K::Column && typeOf(*item.expr, scope) == FieldType::Text;
            if (s.distinct && textColumn)
                addSlot(true); // DISTINCT treats "Cemento" and "CEMENTO" as one value.
            if (derived)
                put(" AS " + bracket(names[column++].sqlName));
            else if (!item.alias.isEmpty())
                put(" AS " + bracket(item.alias));
            else if (item.expr->k == Expr::K::Column)
                put(" AS " + bracket(resolve(scope, *item.expr).field));
            else if (top)
                put(QStringLiteral(" AS [Expr%1]").arg(unnamed++));
        }
        if (editable) {
            put(", " + bracket(scope.sources[0].ref) + ".rowid AS " + kRowIdColumn);
            out_.editable = true;
        }
        if (top && oneTable)
            out_.table = s.from[0].table->name;

        if (!s.from.empty()) {
            put(" FROM ");
            emitFrom(s, scope, parent);
        }
        if (s.where) {
            put(" WHERE ");
            emitExpr(*s.where, scope);
        }
        if (!s.groupBy.empty()) {
            put(" GROUP BY ");
            for (size_t i = 0; i < s.groupBy.size(); ++i) {
                if (i)
                    put(", ");
                emitTextKey(*s.groupBy[i], scope);
            }
        }
        if (s.having) {
            put(" HAVING ");
            emitExpr(*s.having, scope);
        }
        emitOrder(s, scope, editable);
        if (s.top >= 0)
            put(QStringLiteral(" LIMIT %1").arg(s.top));
    }

    void emitOrder(const Select& s, const Scope& scope, bool editable) {
        if (!s.orderBy.empty()) {
            put(" ORDER BY ");
            for (size_t i = 0; i < s.orderBy.size(); ++i) {
                if (i)
                    put(", ");
                emitTextKey(*s.orderBy[i].expr, scope);
                if (s.orderBy[i].desc)
                    put(" DESC");
            }
            return;
        }
        // Without ORDER BY: groups in ascending order of the grouped fields, distinct values
        // sorted, and the records of one table in the order they were stored.
        if (!s.groupBy.empty()) {
            put(" ORDER BY ");
            for (size_t i = 0; i < s.groupBy.size(); ++i) {
                if (i)
                    put(", ");
                emitTextKey(*s.groupBy[i], scope);
            }
        } else if (s.distinct) {
            bool star = false;
            for (const auto& item : s.items)
                star = star || item.star;
            if (!star) {
                put(" ORDER BY ");
                for (size_t i = 0; i < s.items.size(); ++i)
                    put(QStringLiteral("%1%2").arg(i ? ", " : "").arg(i + 1));
            }
        } else if (editable) {
            put(" ORDER BY " + bracket(scope.sources[0].ref) + ".rowid");
        }
    }

    void emitFrom(const Select& s, const Scope& scope, const Scope* parent) {
        for (size_t i = 0; i < s.from.size(); ++i) {
            const Source& src = s.from[i];
            switch (src.join) {
            case JoinType::First:
                break;
            case JoinType::Comma:
                put(", ");
                break;
            case JoinType::Inner:
                put(" INNER JOIN ");
                break;
            case JoinType::Left:
                put(" LEFT JOIN ");
                break;
            }
            if (src.table) {
                put(bracket(src.table->name));
                if (!src.alias.isEmpty())
                    put(" AS " + bracket(src.alias));
            } else {
                put("(");
                emitSelect(*src.derived, parent, false, true);
                put(") AS " + bracket(scope.sources[i].ref));
            }
            if (src.on) {
                put(" ON ");
                emitExpr(*src.on, scope);
            }
        }
    }

    Scope tableScope(const TableDef* table) {
        Scope scope;
        scope.sources.push_back({table->name, table, {}});
        return scope;
    }

    void emitDelete(const Statement& st) {
        out_.table = st.table->name;
        const Scope scope = tableScope(st.table);
        put("DELETE FROM " + bracket(st.table->name));
        if (st.where) {
            put(" WHERE ");
            emitExpr(*st.where, scope);
        }
    }

    void emitInsert(const Statement& st) {
        out_.table = st.table->name;
        put("INSERT INTO " + bracket(st.table->name) + " (");
        for (size_t i = 0; i < st.columns.size(); ++i)
            put((i ? ", " : "") + bracket(st.columns[i]->name));
        put(")");
        if (st.select) {
            emitInsertedSelect(st);
            return;
        }
        const Scope scope = tableScope(st.table);
        put(" VALUES (");
        for (size_t i = 0; i < st.values.size(); ++i) {
            if (i)
                put(", ");
            emitOperand(*st.values[i], scope, st.columns[i]->type, st.columns[i]->name, nullptr, nullptr,
                        true);
        }
        put(")");
    }

    // INSERT ... SELECT: the selected columns, named by a common table expression, each go
    // through the conversion of the field that receives it.
    void emitInsertedSelect(const Statement& st) {
        const auto& items = st.select->items;
        const bool star = std::any_of(items.begin(), items.end(), [](const SelectItem& i) { return i.star; });
        if (star || items.size() != st.columns.size()) {
            put(" ");
            emitSelect(*st.select, nullptr, false);
            return;
        }
        put(" WITH korvex_source(");
        for (size_t i = 0; i < items.size(); ++i)
            put(QStringLiteral("%1c%2").arg(i ? ", " : "").arg(i));
        put(") AS (");
        emitSelect(*st.select, nullptr, false);
        put(") SELECT ");
        for (size_t i = 0; i < items.size(); ++i)
            put(QStringLiteral("%1%2(c%3, %4, '%5')")
                    .arg(i ? ", " : "", QLatin1String(kStoreValueFunction))
                    .arg(i)
                    .arg(int(st.columns[i]->type))
                    .arg(st.columns[i]->name));
        put(" FROM korvex_source");
    }

    void emitUpdate(const Statement& st) {
        out_.table = st.table->name;
        const Scope scope = tableScope(st.table);
        put("UPDATE " + bracket(st.table->name) + " SET ");
        for (size_t i = 0; i < st.columns.size(); ++i) {
            if (i)
                put(", ");
            put(bracket(st.columns[i]->name) + " = ");
            emitOperand(*st.values[i], scope, st.columns[i]->type, st.columns[i]->name, nullptr, nullptr,
                        true);
        }
        if (st.where) {
            put(" WHERE ");
            emitExpr(*st.where, scope);
        }
    }
};

// ---------------------------------------------------------------------------------------------
// Values

std::optional<bool> readBooleanText(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == "true" || t == "verdadero" || t == "si" || t == "sí" || t == "yes")
        return true;
    if (t == "false" || t == "falso" || t == "no")
        return false;
    if (const auto n = readNumberText(t))
        return *n != 0;
    return std::nullopt;
}

[[noreturn]] void badValue(const QVariant& value, const QString& field, const QString& why) {
    throw StoreError(
        QStringLiteral("El valor «%1» no es válido para el campo %2: %3").arg(value.toString(), field, why));
}

bool isNullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

} // namespace

QString Translation::sql(const std::vector<QVariant>& values) const {
    QString out = pieces.value(0);
    for (size_t i = 0; i < collations.size(); ++i) {
        bool collate = collations[i].always;
        for (int p : collations[i].params) {
            if (collate)
                break;
            if (p >= 0 && size_t(p) < values.size()) {
                const QVariant& v = values[size_t(p)];
                if (v.typeId() == QMetaType::QString && !text::isAscii(v.toString()))
                    collate = true;
            }
        }
        if (collate)
            out += QStringLiteral(" COLLATE ") + text::kCollation;
        out += pieces.value(int(i) + 1);
    }
    return out;
}

Translation translate(const QString& statement) {
    if (statement.size() > kMaxStatementLength)
        fail(QStringLiteral("tiene más de %1 caracteres").arg(kMaxStatementLength), statement.left(200));
    int params = 0;
    Parser parser(tokenize(statement, statement), statement, &params);
    Statement st = parser.parseStatement();
    return Translator(statement).run(st, params);
}

QVariant convertValue(const QVariant& value, FieldType type, const QString& field) {
    if (isNullValue(value))
        return QVariant();
    const int id = value.typeId();
    const bool isText = id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
    const bool isBool = id == QMetaType::Bool;
    switch (type) {
    case FieldType::Unknown:
        if (isBool)
            return value.toBool() ? -1 : 0;
        return value;
    case FieldType::Text:
        if (isBool)
            return QString(value.toBool() ? "-1" : "0");
        if (id == QMetaType::Double || id == QMetaType::Float)
            return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return value.toString();
    case FieldType::Double: {
        if (isBool)
            return value.toBool() ? -1.0 : 0.0;
        if (isText) {
            const QString t = value.toString();
            if (t.trimmed().isEmpty())
                return QVariant();
            const auto n = readNumberText(t);
            if (!n)
                badValue(value, field, QStringLiteral("no es un número"));
            return *n;
        }
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            badValue(value, field, QStringLiteral("no es un número"));
        return d;
    }
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::Counter: {
        double d = 0;
        if (isBool) {
            d = value.toBool() ? -1 : 0;
        } else if (isText) {
            if (value.toString().trimmed().isEmpty())
                return QVariant();
            const auto n = readNumberText(value.toString());
            if (!n)
                badValue(value, field, QStringLiteral("no es un número"));
            d = *n;
        } else {
            bool ok = false;
            d = value.toDouble(&ok);
            if (!ok || !std::isfinite(d))
                badValue(value, field, QStringLiteral("no es un número"));
        }
        d = std::nearbyint(d);
        const double lo = type == FieldType::Integer ? -32768.0 : double(std::numeric_limits<qint32>::min());
        const double hi = type == FieldType::Integer ? 32767.0 : double(std::numeric_limits<qint32>::max());
        if (d < lo || d > hi)
            badValue(value, field, QStringLiteral("desbordamiento"));
        return qint64(d);
    }
    case FieldType::Boolean: {
        if (isText) {
            const auto b = readBooleanText(value.toString());
            if (!b)
                badValue(value, field, QStringLiteral("no es Sí/No"));
            return *b ? -1 : 0;
        }
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok && !isBool)
            badValue(value, field, QStringLiteral("no es Sí/No"));
        return (isBool ? value.toBool() : d != 0) ? -1 : 0;
    }
    }
    return value;
}

} // namespace korvex::store::dialect
