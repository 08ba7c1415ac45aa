#include "exchange/Bc3Reader.h"

#include "Bc3Fixtures.h"

#include <gtest/gtest.h>

namespace korvex::exchange {
namespace {

using testing::encoded;

// Each component of a decomposition as "code factor quantity".
QStringList components(const Bc3Decomposition* decomposition) {
    QStringList out;
    for (const Bc3Component& c : decomposition->components)
        out << QStringLiteral("%1 %2 %3").arg(c.code).arg(c.factor).arg(c.quantity);
    return out;
}

Bc3Document read(const QString& text) {
    const Bc3ReadResult result = readBc3(text.toUtf8());
    EXPECT_TRUE(result.ok) << result.message.toStdString();
    return result.document;
}

TEST(Bc3Reader, RecordsOfEveryKindWithLineBreaksAnywhere) {
    const Bc3Document doc =
        read(QStringLiteral("~V|Dueño|FIEBDC-3/2004\\010203|Prog|Cabecera|ANSI|un comentario|\n"
                            "~K|\\2\\3\\3\\2\\2\\2\\2\\EUR\\|2\\13\\6\\\\21|\\4\\|\n"
                            "~C|A\\A2|m2|Primera versión|1||0|\n"
                            "~C|A2|m2|Segunda versión| 12.50 \\ 11 |010203|0|\n"
                            "~C|B|h|Oficial|  9.5|| 1 |\n"
                            "~C|%MA|%|Medios auxiliares|2||%|\n"
                            "~C|CAP#||Capítulo|0||0|\n"
                            "~D|CAP|A\\\\\n3\\|\n"
                            "~D|A\n|B\\2\\\\%MA\\\\0.02\\|\n"
                            "~Y|A|B\\1\\0.5\\|\n"
                            "~T|A|Texto largo\r\nen dos líneas|\n"
                            "~M|CAP\\A|1\\|3|\\\\3\\\\\\\\|etiqueta|\n"
                            "~L|A|pliego|\n"
                            "~X|otra cosa|\n"));
    EXPECT_EQ(QStringList({doc.owner, doc.version, doc.charset, doc.comment}).join('|'),
              QStringLiteral("Dueño|FIEBDC-3/2004|ANSI|un comentario"));
    EXPECT_EQ(doc.coefficients.priceDecimals, 4);
    ASSERT_EQ(doc.coefficients.percentages.size(), 4u); // BAJA is empty
    EXPECT_EQ(doc.coefficients.percentages[1].name, QStringLiteral("GG"));
    EXPECT_EQ(doc.coefficients.percentages[3].value, 21);

    // A later ~C for a synonym replaces the concept in its place; the first price serves.
    ASSERT_EQ(doc.concepts.size(), 4u);
    const Bc3Concept* a = doc.find(QStringLiteral("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->summary, QStringLiteral("Segunda versión"));
    EXPECT_EQ(a->price, 12.5);
    EXPECT_EQ(a->text, QStringLiteral("Texto largo\nen dos líneas"));
    EXPECT_EQ(doc.find(QStringLiteral("B"))->type, Bc3Type::Labour);
    EXPECT_TRUE(doc.find(QStringLiteral("%MA"))->isPercentage());
    EXPECT_TRUE(doc.find(QStringLiteral("CAP"))->isChapter()); // found without its "#"

    // Empty factor and quantity are 1; ~Y adds to the decomposition.
    EXPECT_EQ(components(doc.decomposition(QStringLiteral("CAP#"))), QStringList({"A 1 3"}));
    EXPECT_EQ(components(doc.decomposition(QStringLiteral("A"))),
              QStringList({"B 2 1", "%MA 1 0.02", "B 1 0.5"}));
    EXPECT_EQ(doc.decomposition(QStringLiteral("A"))->record, 9);

    ASSERT_EQ(doc.measurements.size(), 1u);
    const Bc3Measurement& measurement = doc.measurements[0];
    EXPECT_EQ(
        QStringLiteral("%1 %2 %3").arg(measurement.parent).arg(measurement.total).arg(measurement.label),
        QStringLiteral("CAP 3 etiqueta"));
    EXPECT_EQ(doc.records, 14);
    EXPECT_EQ(doc.skipped, 2);
}

TEST(Bc3Reader, CodePages) {
    const QString text = QStringLiteral("~V||FIEBDC-3/98||x|%1|\n~C|A|m²|Ñandú cañón «año»|1||3|\n");
    const QString summary = QStringLiteral("Ñandú cañón «año»");
    struct Case {
        const char* declared;
        const char* page;
        const char* expected;
    };
    for (const Case& c :
         {Case{"", "CP850", "CP850"}, Case{"850", "CP850", "CP850"}, Case{"437", "CP437", "CP437"},
          Case{"ANSI", "WINDOWS-1252", "WINDOWS-1252"}, Case{"UTF-8", "UTF-8", "UTF-8"},
          // Declared ANSI, written in UTF-8: the bytes decide.
          Case{"ANSI", "UTF-8", "UTF-8"}}) {
        SCOPED_TRACE(std::string(c.declared) + " " + c.page);
        const Bc3ReadResult result = readBc3(encoded(text.arg(QString::fromLatin1(c.declared)), c.page));
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.document.encoding, QString::fromLatin1(c.expected));
        EXPECT_EQ(result.document.find(QStringLiteral("A"))->summary, summary);
        EXPECT_EQ(result.document.find(QStringLiteral("A"))->unit, QStringLiteral("m²"));
    }
    // A byte Windows-1252 leaves undefined reads as "?", never as a failure.
    QByteArray bytes = "~V||FIEBDC-3/98||x|ANSI|\n~C|A|u|Tubo \x81 de 1\"|1||3|\n";
    const Bc3ReadResult odd = readBc3(bytes);
    ASSERT_TRUE(odd.ok);
    EXPECT_EQ(odd.document.find(QStringLiteral("A"))->summary, QStringLiteral("Tubo ? de 1\""));
}

TEST(Bc3Reader, MalformedFilesNameTheRecord) {
    struct Case {
        const char* text;
        const char* message;
    };
    for (const Case& c : {
             Case{"~V||FIEBDC-3/98|\n~C|A|u|x|1||0|\n~D|A|B\\1\\dos\\|\n",
                  "Registro 3 (~D) del archivo BC3: La cantidad «dos» no es un número"},
             Case{"~V||FIEBDC-3/98|\n~C||u|sin código|1||0|\n",
                  "Registro 2 (~C) del archivo BC3: falta el código del concepto"},
             Case{"~V||FIEBDC-3/98|\n~C|A|u|x|uno||0|\n",
                  "Registro 2 (~C) del archivo BC3: El precio «uno» no es un número"},
             Case{"~V||FIEBDC-3/98|\n~|A|u|\n",
                  "Registro 2 (~?) del archivo BC3: el registro no empieza con su letra"},
             Case{"~V||FIEBDC-3/98|\n~CD|A|u|\n",
                  "Registro 2 (~C) del archivo BC3: el registro no empieza con su letra"},
             Case{"~V||FIEBDC-3/98|\n~D||A\\1\\1\\|\n",
                  "Registro 2 (~D) del archivo BC3: falta el código del concepto descompuesto"},
             Case{"~V||FIEBDC-3/98|\n~C|A|u|x|1||0|\n~D|A|\\2\\3\\|\n",
                  "Registro 3 (~D) del archivo BC3: un componente de «A» no tiene código"},
             Case{"PK\x03\x04 no es un bc3 ~V|",
                  "El archivo no es FIEBDC-3 (BC3): no empieza con un registro «~»"},
             Case{"", "El archivo BC3 no tiene ningún concepto (~C) que importar"},
             Case{"~V||FIEBDC-3/98|\n~M|A\\B|1\\|3||\n~M|A\\C|2\\|4||\n",
                  "El archivo BC3 no tiene ningún concepto (~C) que importar"},
         }) {
        const Bc3ReadResult result = readBc3(QByteArray(c.text));
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.message, QString::fromUtf8(c.message)) << c.text;
    }
    // A BOM, a DOS end-of-file mark and a stray "~" at the end are no faults.
    const Bc3ReadResult tolerant =
        readBc3(QByteArray("\xEF\xBB\xBF~V||FIEBDC-3/98|\r\n~C|A|u|x|1||0|\r\n~\r\n\x1A"));
    EXPECT_TRUE(tolerant.ok) << tolerant.message.toStdString();
}

TEST(Bc3Reader, RefusesOversizedFileBeforeReadingIt) {
    const Bc3ReadResult result = readBc3File(QStringLiteral("/nonexistent/presupuesto.bc3"));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("No se puede leer el archivo")))
        << result.message.toStdString();
}

} // namespace
} // namespace korvex::exchange
