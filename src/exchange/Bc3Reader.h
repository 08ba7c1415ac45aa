#pragma once
// Reading FIEBDC-3 (.bc3) files, the plain-text exchange format of Spanish-speaking estimating
// programs, into memory: concepts, decompositions, long texts, measurements and the coefficients
// record. Nothing here touches a project; Bc3Budget turns a document into budget items.
//
// The reader is lenient where writers differ (blank-padded numbers, chapters named without their
// trailing "#", line breaks anywhere, unknown records) and strict where a guess would change the
// figures: a number that is not a number, a record without its code. Every refusal names the
// record (counted from 1 in file order) in Spanish.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::exchange {

// Largest file the reader accepts; budgets and price bases are a few megabytes.
inline constexpr qsizetype kBc3MaxBytes = 256LL * 1024 * 1024;

struct Bc3Component {
    QString code;
    double factor = 1;   // empty field: 1
    double quantity = 1; // empty field: 1
    double product() const { return factor * quantity; }
};

struct Bc3Decomposition {
    std::vector<Bc3Component> components;
    int record = 0; // the ~D (or first ~Y) record
};

// Concept types of the ~C record.
enum class Bc3Type { Unclassified = 0, Labour = 1, Equipment = 2, Material = 3 };

struct Bc3Concept {
    QString code; // the first code of the ~C, with its "#" marks
    QString unit;
    QString summary;
    QString text; // ~T
    double price = 0;
    bool hasPrice = false;
    Bc3Type type = Bc3Type::Unclassified;
    bool percentType = false; // type written as "%"
    int record = 0;

    bool isChapter() const { return code.endsWith(QLatin1Char('#')); }
    bool isRoot() const { return code.endsWith(QLatin1String("##")); }
    // A percentage concept: its quantity in a decomposition is a fraction of the lines before it.
    bool isPercentage() const;
};

struct Bc3Measurement {
    QString parent; // may be empty
    QString child;
    std::vector<int> positions; // 1-based places from the root down to the measured concept
    double total = 0;
    bool hasTotal = false;
    QString label;
    int record = 0;
};

// The ~K record: the percentages are read to be named, never applied.
struct Bc3Coefficients {
    bool present = false;
    int priceDecimals = -1; // -1: not stated
    struct Percent {
        QString name;
        double value = 0;
    };
    std::vector<Percent> percentages; // CI, GG, BI, BAJA, IVA that the file states (non-zero)
};

struct Bc3Document {
    QString owner;
    QString version;
    QString program;
    QString header;
    QString charset;  // as ~V names it
    QString comment;  // ~V's comment field
    QString encoding; // the code page the text was decoded with ("UTF-8", "CP850", ...)
    Bc3Coefficients coefficients;
    std::vector<Bc3Concept> concepts;                // order of first appearance
    QHash<QString, Bc3Decomposition> decompositions; // by the code of their concept
    std::vector<Bc3Measurement> measurements;
    int records = 0;
    int skipped = 0; // records of kinds the program does not use
    QStringList warnings;

    // A code as written, else with its "#" marks changed, so "01" finds the chapter "01#" while a
    // concept "01" beside it stays apart.
    const Bc3Concept* find(const QString& code) const;
    const Bc3Decomposition* decomposition(const QString& code) const;
    // The code of the concept a written code names (the code itself when there is none).
    QString canonical(const QString& code) const;
    // The code without its trailing "#" marks: a chapter's group name.
    static QString key(const QString& code);

    QHash<QString, int> index; // code -> position in concepts (synonyms too)
};

struct Bc3ReadResult {
    bool ok = true;
    QString message; // Spanish, naming the record, when !ok
    Bc3Document document;
};

// Text of the file in the code page it uses: UTF-8 when the bytes are valid UTF-8 with non-ASCII
// characters (some writers declare ANSI and write UTF-8), else the code page ~V names ("ANSI" is
// Windows-1252, "850", "437"), 850 when none is named. encoding receives the one used.
QString decodeBc3(const QByteArray& bytes, QString* encoding = nullptr, QStringList* warnings = nullptr);

Bc3ReadResult readBc3(const QByteArray& bytes);
Bc3ReadResult readBc3File(const QString& path);

} // namespace korvex::exchange
