// The tileset.dat reader: record splitting, the index rule and the text decoding.
#include "CatalogueText.h"
#include "LeadingNumber.h"
#include "CatalogueRecords.h"

#include <QStringDecoder>
#include <QTest>

using namespace kestrun;
using namespace Qt::StringLiterals;

namespace {
constexpr int Fails = -1; // spriteIndexOf gives nothing
}

class TestCatalogueRecords : public QObject {
    Q_OBJECT
private slots:
    void records_data();
    void records();
    void recordParts_data();
    void recordParts();
    void index_data();
    void index();
    void utf8Validity_data();
    void utf8Validity();
    void windows1251MatchesTheCodePage();
    void catalogueText_data();
    void catalogueText();
};

void TestCatalogueRecords::records_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    // Line ends.
    QTest::newRow("CR LF, as the game writes") << "3=c.bmp\r\n1=a.bmp\r\n" << QStringList{u"3=c.bmp"_s, u"1=a.bmp"_s};
    QTest::newRow("lone LF") << "1=a.bmp\n2=b.bmp\n" << QStringList{u"1=a.bmp"_s, u"2=b.bmp"_s};
    QTest::newRow("lone CR") << "1=a.bmp\r2=b.bmp\r" << QStringList{u"1=a.bmp"_s, u"2=b.bmp"_s};
    QTest::newRow("mixed line ends") << "1=a\r\n2=b\n3=c\r4=d" << QStringList{u"1=a"_s, u"2=b"_s, u"3=c"_s, u"4=d"_s};
    QTest::newRow("LF CR is two line ends") << "1=a\n\r2=b" << QStringList{u"1=a"_s, u"2=b"_s};
    QTest::newRow("last record without line end") << "1=a.bmp\r\n2=b.bmp" << QStringList{u"1=a.bmp"_s, u"2=b.bmp"_s};
    QTest::newRow("single record without line end") << "tree.bmp" << QStringList{u"tree.bmp"_s};

    // Blank lines and empty input.
    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("only line ends") << "\r\n\n\r\r\n" << QStringList{};
    QTest::newRow("only blanks") << "  \t \r\n \t" << QStringList{};
    QTest::newRow("blank lines between records") << "\r\n1=a.bmp\r\n\r\n  \t\r\n2=b.bmp\r\n\r\n"
                                                 << QStringList{u"1=a.bmp"_s, u"2=b.bmp"_s};

    // Blanks around a record.
    QTest::newRow("leading blanks skipped") << "  \t1=a.bmp" << QStringList{u"1=a.bmp"_s};
    QTest::newRow("trailing blanks dropped") << "1=a.bmp \t \r\n2=b.bmp  " << QStringList{u"1=a.bmp"_s, u"2=b.bmp"_s};
    QTest::newRow("blank after = kept") << "5= a.bmp\r\n" << QStringList{u"5= a.bmp"_s};
    QTest::newRow("inner blanks kept") << "1 2 = my tree.bmp\r\n" << QStringList{u"1 2 = my tree.bmp"_s};

    // Commas.
    QTest::newRow("comma splits a line") << "5=a,b.bmp\r\n" << QStringList{u"5=a"_s, u"b.bmp"_s};
    QTest::newRow("blanks after a comma skipped") << "1=a.bmp, 2=b.bmp" << QStringList{u"1=a.bmp"_s, u"2=b.bmp"_s};
    QTest::newRow("blanks before a comma dropped") << "1=a.bmp  ,2=b.bmp" << QStringList{u"1=a.bmp"_s, u"2=b.bmp"_s};
    QTest::newRow("empty field between commas") << "1=a,,2=b" << QStringList{u"1=a"_s, u""_s, u"2=b"_s};
    QTest::newRow("leading comma gives an empty record") << ",1=a" << QStringList{u""_s, u"1=a"_s};
    QTest::newRow("lone comma line") << "1=a\r\n,\r\n2=b" << QStringList{u"1=a"_s, u""_s, u"2=b"_s};
    QTest::newRow("comma at line end adds nothing") << "1=a,\r\n2=b," << QStringList{u"1=a"_s, u"2=b"_s};

    // Quotes.
    QTest::newRow("quoted record holds a comma") << "\"5=a,b.bmp\"\r\n" << QStringList{u"5=a,b.bmp"_s};
    QTest::newRow("quoted record keeps its blanks") << "  \" 5= a.bmp \"\r\n" << QStringList{u" 5= a.bmp "_s};
    QTest::newRow("quoted record holds a line end") << "\"1=a\r\nb\"\r\n2=c" << QStringList{u"1=a\r\nb"_s, u"2=c"_s};
    QTest::newRow("empty quotes are a record") << "\"\"\r\n1=a" << QStringList{u""_s, u"1=a"_s};
    QTest::newRow("text after the closing quote dropped")
        << "\"1=a\" junk, 2=b\r\n3=c" << QStringList{u"1=a"_s, u"2=b"_s, u"3=c"_s};
    QTest::newRow("closing quote then comma") << "\"1=a\",\"2=b\"" << QStringList{u"1=a"_s, u"2=b"_s};
    QTest::newRow("unclosed quote runs to the end") << "\"1=a,b\r\n2=c" << QStringList{u"1=a,b\r\n2=c"_s};
    QTest::newRow("quote inside a record is plain text") << "1=a\"b\",c" << QStringList{u"1=a\"b\""_s, u"c"_s};
}

void TestCatalogueRecords::records()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(splitCatalogueRecords(text), expected);
}

void TestCatalogueRecords::recordParts_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("indexText");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("index and name") << "12=walls\\brick.bmp"
                                    << "12="
                                    << "walls\\brick.bmp";
    QTest::newRow("no = : all of it is the name") << "tree.bmp"
                                                  << ""
                                                  << "tree.bmp";
    QTest::newRow("blank after = belongs to the name") << "5= a.bmp"
                                                       << "5="
                                                       << " a.bmp";
    QTest::newRow("later = belong to the name") << "7=x=y.bmp"
                                                << "7="
                                                << "x=y.bmp";
    QTest::newRow("empty record") << ""
                                  << ""
                                  << "";
    QTest::newRow("= first") << "=a.bmp"
                             << "="
                             << "a.bmp";
    QTest::newRow("= last") << "4="
                            << "4="
                            << "";
    QTest::newRow("blanks before = kept in the index text") << "1 2 =a"
                                                            << "1 2 ="
                                                            << "a";
}

void TestCatalogueRecords::recordParts()
{
    QFETCH(QString, record);
    QFETCH(QString, indexText);
    QFETCH(QString, fileName);
    const CatalogueRecord parts = splitCatalogueRecord(record);
    QCOMPARE(parts.indexText, indexText);
    QCOMPARE(parts.fileName, fileName);
}

void TestCatalogueRecords::index_data()
{
    QTest::addColumn<QString>("indexText");
    QTest::addColumn<int>("expected");

    // Plain numbers and the ends of the range.
    QTest::newRow("7=") << "7=" << 7;
    QTest::newRow("0=") << "0=" << 0;
    QTest::newRow("255=") << "255=" << 255;
    QTest::newRow("leading zeros") << "007=" << 7;
    QTest::newRow("plus sign") << "+5=" << 5;
    QTest::newRow("256 fails") << "256=" << Fails;
    QTest::newRow("-1 fails") << "-1=" << Fails;
    QTest::newRow("int32 max fails") << "2147483647=" << Fails;
    QTest::newRow("beyond int32 fails") << "4294967301=" << Fails;
    QTest::newRow("twenty digits fail") << "99999999999999999999=" << Fails;

    // Not a number.
    QTest::newRow("x= is 0") << "x=" << 0;
    QTest::newRow("empty is 0") << "" << 0;
    QTest::newRow("bare = is 0") << "=" << 0;
    QTest::newRow("sign alone is 0") << "-=" << 0;
    QTest::newRow("point alone is 0") << ".=" << 0;
    QTest::newRow("two signs are 0") << "--5=" << 0;
    QTest::newRow("hex prefix stops at x") << "0x1F=" << 0;
    QTest::newRow("non-ASCII digits are not digits") << QString::fromUtf8("５=") << 0;

    // Blanks and tabs anywhere.
    QTest::newRow("1 2= is 12") << "1 2=" << 12;
    QTest::newRow("tab inside") << "1\t2=" << 12;
    QTest::newRow("blanks around") << " \t 5 \t=" << 5;
    QTest::newRow("blank after the sign") << "- 1=" << Fails;
    QTest::newRow("blanks in the fraction") << "2 . 5 1=" << 3;

    // Reading stops at the first character that cannot go on.
    QTest::newRow("trailing letters") << "12abc=" << 12;
    QTest::newRow("second point") << "1.2.3=" << 1;
    QTest::newRow("minus inside") << "5-3=" << 5;

    // Rounding, exact halves to even.
    QTest::newRow("2.5 -> 2") << "2.5=" << 2;
    QTest::newRow("3.5 -> 4") << "3.5=" << 4;
    QTest::newRow("-0.4 -> 0") << "-0.4=" << 0;
    QTest::newRow("-0.5 -> 0") << "-0.5=" << 0;
    QTest::newRow("-0.6 fails") << "-0.6=" << Fails;
    QTest::newRow("0.5 -> 0") << "0.5=" << 0;
    QTest::newRow("1.5 -> 2") << "1.5=" << 2;
    QTest::newRow("2.49 -> 2") << "2.49=" << 2;
    QTest::newRow("2.51 -> 3") << "2.51=" << 3;
    QTest::newRow("just above a half -> up") << "2.5000000000000000000001=" << 3;
    QTest::newRow("just below a half -> down") << "2.4999999999999999999999=" << 2;
    QTest::newRow("half with trailing zeros -> even") << "6.5000=" << 6;
    QTest::newRow("point without fraction") << "9.=" << 9;
    QTest::newRow("fraction without integer") << ".51=" << 1;
    QTest::newRow("254.5 -> 254") << "254.5=" << 254;
    QTest::newRow("255.4 -> 255") << "255.4=" << 255;
    QTest::newRow("255.5 rounds to 256, fails") << "255.5=" << Fails;
    QTest::newRow("tiny fraction") << "0.0001=" << 0;

    // Exponents.
    QTest::newRow("1e2") << "1e2=" << 100;
    QTest::newRow("1E2") << "1E2=" << 100;
    QTest::newRow("1e+2") << "1e+2=" << 100;
    QTest::newRow("1 e 2 ignores blanks") << "1 e 2=" << 100;
    QTest::newRow("25e-1 -> 2") << "25e-1=" << 2;
    QTest::newRow("35e-1 -> 4") << "35e-1=" << 4;
    QTest::newRow("0.0001e4 -> 1") << "0.0001e4=" << 1;
    QTest::newRow("2550e-1") << "2550e-1=" << 255;
    QTest::newRow("1e3 fails") << "1e3=" << Fails;
    QTest::newRow("exponent without digits ignored") << "1e=" << 1;
    QTest::newRow("exponent sign without digits ignored") << "1e+=" << 1;
    QTest::newRow("huge exponent fails") << "1e99999999999999999999999=" << Fails;
    QTest::newRow("huge negative exponent is 0") << "1e-99999999999999999999999=" << 0;
    QTest::newRow("zero with huge exponent is 0") << "0e99999999999999999999=" << 0;
    QTest::newRow("exponent without mantissa is 0") << "e5=" << 0;
}

void TestCatalogueRecords::index()
{
    QFETCH(QString, indexText);
    QFETCH(int, expected);
    const std::optional<int> slot = spriteIndexOf(indexText);
    QCOMPARE(slot.value_or(Fails), expected);
}

void TestCatalogueRecords::utf8Validity_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");

    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("ASCII") << QByteArray("12=walls\\brick.bmp\r\n") << true;
    QTest::newRow("Cyrillic") << QByteArray("1=\xd1\x91\xd0\xbb\xd0\xba\xd0\xb0.bmp") << true;
    QTest::newRow("three-byte") << QByteArray("\xe2\x84\x96") << true;             // U+2116
    QTest::newRow("four-byte") << QByteArray("\xf0\x9f\x8c\xb2") << true;          // U+1F332
    QTest::newRow("highest code point") << QByteArray("\xf4\x8f\xbf\xbf") << true; // U+10FFFF
    QTest::newRow("embedded NUL") << QByteArray("a\0b", 3) << true;

    QTest::newRow("Windows-1251 Cyrillic") << QByteArray("1=\xb8\xeb\xea\xe0.bmp") << false;
    QTest::newRow("stray continuation") << QByteArray("a\x80") << false;
    QTest::newRow("truncated at the end") << QByteArray("a\xe2\x84") << false;
    QTest::newRow("lead then ASCII") << QByteArray("\xd0"
                                                   "a")
                                     << false;
    QTest::newRow("overlong two-byte") << QByteArray("\xc0\xaf") << false;
    QTest::newRow("overlong C1") << QByteArray("\xc1\xbf") << false;
    QTest::newRow("overlong three-byte") << QByteArray("\xe0\x80\xaf") << false;
    QTest::newRow("overlong four-byte") << QByteArray("\xf0\x80\x80\xaf") << false;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
    QTest::newRow("F5 lead") << QByteArray("\xf5\x80\x80\x80") << false;
    QTest::newRow("FF byte") << QByteArray("\xff") << false;
}

void TestCatalogueRecords::utf8Validity()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(isValidUtf8(bytes), valid);
}

void TestCatalogueRecords::windows1251MatchesTheCodePage()
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString decoded = decodeWindows1251(all);
    QCOMPARE(decoded.size(), 256);

    // Landmarks of the code page, checked whatever the platform offers.
    for (int b = 0; b < 0x80; ++b)
        QCOMPARE(decoded[b].unicode(), char16_t(b));
    for (int b = 0xC0; b <= 0xFF; ++b)
        QCOMPARE(decoded[b].unicode(), char16_t(0x0410 + (b - 0xC0))); // А..я
    QCOMPARE(decoded[0xA8], QChar(0x0401));                            // Ё
    QCOMPARE(decoded[0xB8], QChar(0x0451));                            // ё
    QCOMPARE(decoded[0xB9], QChar(0x2116));                            // №
    QCOMPARE(decoded[0x88], QChar(0x20AC));                            // €
    QCOMPARE(decoded[0x80], QChar(0x0402));                            // Ђ
    QCOMPARE(decoded[0xA0], QChar(0x00A0));
    QCOMPARE(decoded[0x98], QChar(0x0098)); // unassigned

    // The whole table against the system's converter, where it has one.
    QStringDecoder system("windows-1251");
    if (!system.isValid())
        QSKIP("no Windows-1251 converter on this system to compare the whole table with");
    const QString reference = system(all);
    QCOMPARE(decoded, reference);
}

void TestCatalogueRecords::catalogueText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ASCII") << QByteArray("1=a.bmp\r\n") << QStringLiteral("1=a.bmp\r\n");
    QTest::newRow("UTF-8") << QByteArray("1=\xd1\x91\xd0\xbb\xd0\xba\xd0\xb0.bmp") << QStringLiteral("1=ёлка.bmp");
    QTest::newRow("UTF-8 byte-order mark dropped") << QByteArray("\xef\xbb\xbf"
                                                                 "1=a.bmp")
                                                   << QStringLiteral("1=a.bmp");
    QTest::newRow("only the first byte-order mark dropped") << QByteArray("\xef\xbb\xbf\xef\xbb\xbf"
                                                                          "1=a")
                                                            << QStringLiteral("\uFEFF1=a");
    QTest::newRow("Windows-1251") << QByteArray("12=\xf1\xf2\xe5\xed\xfb\\\xca\xe8\xf0\xef\xe8\xf7.bmp\r\n")
                                  << QStringLiteral("12=стены\\Кирпич.bmp\r\n");
    QTest::newRow("Windows-1251 that looks like UTF-8 at first")
        << QByteArray("1=\xd0\xb0\r\n2=\xe0.bmp") // "Р°" then "а": valid at first, not as a whole
        << QStringLiteral("1=Р°\r\n2=а.bmp");
}

void TestCatalogueRecords::catalogueText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(decodeCatalogueText(bytes), expected);
}

QTEST_APPLESS_MAIN(TestCatalogueRecords)
#include "tst_cataloguerecords.moc"
