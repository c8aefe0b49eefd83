#include "rules/counterformat.h"
#include "rules/filemask.h"
#include "rules/numbertext.h"
#include "rules/renamerules.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void editName_data();
    void editName();
    void composeName_data();
    void composeName();
    void letterCase_data();
    void letterCase();

    void counterTable_data();
    void counterTable();
    void counterOdd_data();
    void counterOdd();
    void numberToText_data();
    void numberToText();
    void startValue_data();
    void startValue();
    void textToNumberNeverNaN_data();
    void textToNumberNeverNaN();

    void filterToPattern_data();
    void filterToPattern();
    void maskMatch_data();
    void maskMatch();
    void maskHostile_data();
    void maskHostile();
};

namespace {

RenameRules holidayRules(PrefixMode mode, CaseMode caseMode)
{
    RenameRules rules;
    rules.prefixMode = mode;
    rules.prefix = QStringLiteral("Trip");
    rules.includeCount = true;
    rules.counterFormat = QStringLiteral(" 000");
    rules.remove = QStringLiteral("day");
    rules.caseMode = caseMode;
    return rules;
}

RenameRules plainRules(PrefixMode mode, const QString &prefix)
{
    RenameRules rules;
    rules.prefixMode = mode;
    rules.prefix = prefix;
    return rules;
}

} // namespace

void TestRules::editName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("replaceWith");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("extension");

    QTest::newRow("split/several-dots/archive.tar.gz") << "archive.tar.gz"
                                                       << ""
                                                       << ""
                                                       << "archive.tar"
                                                       << ".gz";
    QTest::newRow("split/no-dot/README") << "README"
                                         << ""
                                         << ""
                                         << "README"
                                         << "";
    QTest::newRow("split/only-leading-dot/.profile") << ".profile"
                                                     << ""
                                                     << ""
                                                     << ""
                                                     << ".profile";
    QTest::newRow("split/trailing-dot/name.") << "name."
                                              << ""
                                              << ""
                                              << "name"
                                              << ".";
    QTest::newRow("edit/remove/Holiday.JPG") << "Holiday.JPG"
                                             << "day"
                                             << ""
                                             << "Holi"
                                             << ".JPG";
    QTest::newRow("edit/only-in-extension/Holiday.JPG") << "Holiday.JPG"
                                                        << "JPG"
                                                        << "x"
                                                        << "Holiday"
                                                        << ".JPG";
    QTest::newRow("edit/spanning-dot/Holiday.JPG") << "Holiday.JPG"
                                                   << "y.J"
                                                   << ""
                                                   << "Holiday"
                                                   << ".JPG";
    QTest::newRow("edit/case-sensitive/DAY") << "Holiday.JPG"
                                             << "DAY"
                                             << ""
                                             << "Holiday"
                                             << ".JPG";
    QTest::newRow("edit/no-overlap/aaa") << "aaa.txt"
                                         << "aa"
                                         << "b"
                                         << "ba"
                                         << ".txt";
    QTest::newRow("edit/inserted-not-searched/banana") << "banana"
                                                       << "a"
                                                       << "aa"
                                                       << "baanaanaa"
                                                       << "";
    QTest::newRow("edit/every-occurrence/a-b-c") << "a-b-c.d-e"
                                                 << "-"
                                                 << "_"
                                                 << "a_b_c"
                                                 << ".d-e";
    QTest::newRow("edit/empty-remove-no-insert/abc") << "abc.txt"
                                                     << ""
                                                     << "x"
                                                     << "abc"
                                                     << ".txt";
    QTest::newRow("edit/whole-base/abc") << "abc.txt"
                                         << "abc"
                                         << ""
                                         << ""
                                         << ".txt";
}

void TestRules::editName()
{
    QFETCH(QString, name);
    QFETCH(QString, remove);
    QFETCH(QString, replaceWith);

    const EditedName edited = EditName(name, remove, replaceWith);
    QTEST(edited.base, "base");
    QTEST(edited.extension, "extension");
}

void TestRules::composeName_data()
{
    QTest::addColumn<RenameRules>("rules");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("expected");

    const QString holiday = QStringLiteral("Holiday.JPG");
    QTest::newRow("example/replace/unchanged")
        << holidayRules(PrefixMode::Replace, CaseMode::Unchanged) << holiday << 7 << "Trip 007.JPG";
    QTest::newRow("example/before/unchanged")
        << holidayRules(PrefixMode::Before, CaseMode::Unchanged) << holiday << 7 << "TripHoli 007.JPG";
    RenameRules none = holidayRules(PrefixMode::None, CaseMode::Unchanged);
    none.prefix.clear();
    QTest::newRow("example/none/unchanged") << none << holiday << 7 << "Holi 007.JPG";
    QTest::newRow("example/before/upper")
        << holidayRules(PrefixMode::Before, CaseMode::Upper) << holiday << 7 << "TRIPHOLI 007.JPG";
    QTest::newRow("example/before/lower")
        << holidayRules(PrefixMode::Before, CaseMode::Lower) << holiday << 7 << "tripholi 007.jpg";
    RenameRules counterOff = holidayRules(PrefixMode::Replace, CaseMode::Unchanged);
    counterOff.includeCount = false;
    QTest::newRow("example/replace/counter-off") << counterOff << holiday << 7 << "Trip.JPG";

    QTest::newRow("compose/no-dot/README")
        << plainRules(PrefixMode::Before, "x") << "README" << 1 << "xREADME";
    QTest::newRow("compose/only-leading-dot/.profile")
        << plainRules(PrefixMode::Before, "x") << ".profile" << 1 << "x.profile";
    QTest::newRow("compose/replace-empty-prefix/extension-alone")
        << plainRules(PrefixMode::Replace, "") << holiday << 1 << ".JPG";
    QTest::newRow("compose/replace-empty-prefix/no-dot-gives-empty")
        << plainRules(PrefixMode::Replace, "") << "README" << 1 << "";
    RenameRules lower = plainRules(PrefixMode::Before, "Img");
    lower.caseMode = CaseMode::Lower;
    QTest::newRow("compose/lower/prefix-and-extension") << lower << "a.JPG" << 1 << "imga.jpg";
    RenameRules blank = plainRules(PrefixMode::Before, "");
    blank.includeCount = true;
    blank.counterFormat = QStringLiteral(" 00");
    QTest::newRow("compose/blank-pattern-separates/Holiday") << blank << holiday << 3 << "Holiday 03.JPG";
    RenameRules negative = plainRules(PrefixMode::Before, "");
    negative.includeCount = true;
    negative.counterFormat = QStringLiteral("000");
    QTest::newRow("compose/negative-counter/-3") << negative << "a.txt" << -3 << "a-003.txt";
    RenameRules noPattern = plainRules(PrefixMode::Before, "");
    noPattern.includeCount = true;
    QTest::newRow("compose/counter-no-pattern/7") << noPattern << "a.txt" << 7 << "a 7.txt";
}

void TestRules::composeName()
{
    QFETCH(RenameRules, rules);
    QFETCH(QString, name);
    QFETCH(int, counter);

    QTEST(ComposeName(rules, name, counter, QLocale::c()), "expected");
}

void TestRules::letterCase_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("caseMode");
    QTest::addColumn<QString>("expected");

    QTest::newRow("case/turkish/upper-dotted-i")
        << QLocale(QStringLiteral("tr_TR")) << int(CaseMode::Upper) << QString::fromUtf8("İMG.JPG");
    QTest::newRow("case/turkish/lower-dotless-i")
        << QLocale(QStringLiteral("tr_TR")) << int(CaseMode::Lower) << QString::fromUtf8("ımg.jpg");
    QTest::newRow("case/default/upper") << QLocale::c() << int(CaseMode::Upper) << "IMG.JPG";
    QTest::newRow("case/default/lower") << QLocale::c() << int(CaseMode::Lower) << "img.jpg";
    QTest::newRow("case/default/unchanged") << QLocale::c() << int(CaseMode::Unchanged) << "img.JPG";
}

void TestRules::letterCase()
{
    QFETCH(QLocale, locale);
    QFETCH(int, caseMode);

#ifdef Q_OS_WIN
    // Qt for Windows is built without ICU, and without it every locale has
    // the common case mapping: preview and rename agree, the Turkish "i" aside.
    if (locale.language() == QLocale::Turkish)
        QSKIP("Qt for Windows has no ICU: no case mapping of the locale's own.");
#endif
    // The prefix "i" and the present name's "I" both go through the mapping.
    RenameRules rules = plainRules(PrefixMode::Before, QStringLiteral("i"));
    rules.caseMode = static_cast<CaseMode>(caseMode);
    if (rules.caseMode == CaseMode::Lower)
        rules.prefix = QStringLiteral("I");
    QTEST(ComposeName(rules, QStringLiteral("mg.JPG"), 1, locale), "expected");
}

void TestRules::counterTable_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");

    struct Row {
        const char *pattern;
        const char *texts[4];
    };
    // The list of counter patterns offered to the user, with the text of each
    // for the values below.
    const Row table[] = {
        {"0", {"0", "7", "42", "1234567"}},
        {"00", {"00", "07", "42", "1234567"}},
        {"000", {"000", "007", "042", "1234567"}},
        {"0000", {"0000", "0007", "0042", "1234567"}},
        {"00000", {"00000", "00007", "00042", "1234567"}},
        {"000000", {"000000", "000007", "000042", "1234567"}},
        {" 0", {" 0", " 7", " 42", " 1234567"}},
        {" 00", {" 00", " 07", " 42", " 1234567"}},
        {" 000", {" 000", " 007", " 042", " 1234567"}},
        {" 0000", {" 0000", " 0007", " 0042", " 1234567"}},
        {" 00000", {" 00000", " 00007", " 00042", " 1234567"}},
        {" 000000", {" 000000", " 000007", " 000042", " 1234567"}},
    };
    const int values[4] = {0, 7, 42, 1234567};
    for (const Row &row : table) {
        for (int i = 0; i < 4; ++i) {
            const QByteArray name
                = QByteArray("counter/table/\"") + row.pattern + "\"/" + QByteArray::number(values[i]);
            QTest::newRow(name.constData())
                << QString::fromLatin1(row.pattern) << values[i] << QString::fromLatin1(row.texts[i]);
        }
    }
}

void TestRules::counterTable()
{
    QFETCH(QString, pattern);
    QFETCH(int, value);

    QTEST(CounterText(value, pattern), "expected");
}

void TestRules::counterOdd_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");

    const int min = std::numeric_limits<qint32>::min();
    const int max = std::numeric_limits<qint32>::max();
    QTest::newRow("counter/negative/000") << "000" << -7 << "-007";
    QTest::newRow("counter/negative/0-wider") << "0" << -42 << "-42";
    QTest::newRow("counter/negative/blank-then-sign") << " 000" << -7 << " -007";
    QTest::newRow("counter/negative/wider-than-pattern") << " 00" << -1234 << " -1234";
    QTest::newRow("counter/negative/int32-min") << "000" << min << "-2147483648";
    QTest::newRow("counter/int32-max/blank") << " 0" << max << " 2147483647";
    QTest::newRow("counter/empty-pattern/positive") << "" << 7 << " 7";
    QTest::newRow("counter/empty-pattern/zero") << "" << 0 << " 0";
    QTest::newRow("counter/empty-pattern/negative") << "" << -7 << "-7";
    QTest::newRow("counter/empty-pattern/int32-min") << "" << min << "-2147483648";
    QTest::newRow("counter/hash/unused-left-out") << "###" << 7 << "7";
    QTest::newRow("counter/hash/zero-keeps-digit") << "#" << 0 << "0";
    QTest::newRow("counter/hash/mixed") << "#00" << 7 << "07";
    QTest::newRow("counter/hash/negative-sign-first") << "#00" << -7 << "-07";
    QTest::newRow("counter/literal/in-place") << "0-0" << 5 << "0-5";
    QTest::newRow("counter/literal/extra-digits-at-first") << "0-0" << 123 << "12-3";
    QTest::newRow("counter/literal/around") << "(00)" << 7 << "(07)";
    QTest::newRow("counter/literal/after-digits") << "00 of" << 3 << "03 of";
    QTest::newRow("counter/no-digit-position/positive") << "No." << 7 << "No.7";
    QTest::newRow("counter/no-digit-position/negative") << "x" << -7 << "x-7";
    QTest::newRow("counter/no-digit-position/blank") << " " << 7 << " 7";
}

void TestRules::counterOdd()
{
    QFETCH(QString, pattern);
    QFETCH(int, value);

    QTEST(CounterText(value, pattern), "expected");
}

void TestRules::numberToText_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("number-text/positive/7") << qint64(7) << " 7";
    QTest::newRow("number-text/negative/-7") << qint64(-7) << "-7";
    QTest::newRow("number-text/zero/0") << qint64(0) << " 0";
    QTest::newRow("number-text/next-start/2147483648") << qint64(2147483648) << " 2147483648";
    QTest::newRow("number-text/int64-min") << std::numeric_limits<qint64>::min() << "-9223372036854775808";
}

void TestRules::numberToText()
{
    QFETCH(qint64, value);

    QTEST(NumberToText(value), "expected");
}

void TestRules::startValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");

    QTest::newRow("start/empty") << "" << true << 0;
    QTest::newRow("start/no-number/abc") << "abc" << true << 0;
    QTest::newRow("start/stops-at-misfit/12abc") << "12abc" << true << 12;
    QTest::newRow("start/blank-inside/1 2") << "1 2" << true << 12;
    QTest::newRow("start/tab-and-line-feed/-1\\t2\\n3") << "\t-1\t2\n3\n" << true << -123;
    QTest::newRow("start/blank-before-sign/ -3") << " -3" << true << -3;
    QTest::newRow("start/written-back/ 8") << " 8" << true << 8;
    QTest::newRow("start/plus/+5") << "+5" << true << 5;
    QTest::newRow("start/negative/-3") << "-3" << true << -3;
    QTest::newRow("start/half-to-even/2.5") << "2.5" << true << 2;
    QTest::newRow("start/half-to-even/3.5") << "3.5" << true << 4;
    QTest::newRow("start/half-to-even/-2.5") << "-2.5" << true << -2;
    QTest::newRow("start/half-to-even/0.5") << "0.5" << true << 0;
    QTest::newRow("start/nearest/2.51") << "2.51" << true << 3;
    QTest::newRow("start/nearest/-2.6") << "-2.6" << true << -3;
    QTest::newRow("start/just-below-half/0.49999999999999994") << "0.49999999999999994" << true << 0;
    QTest::newRow("start/fraction-only/.6") << ".6" << true << 1;
    QTest::newRow("start/comma-not-separator/1,9") << "1,9" << true << 1;
    QTest::newRow("start/second-dot-stops/1.2.9") << "1.2.9" << true << 1;
    QTest::newRow("start/hex/&H1F") << "&H1F" << true << 31;
    QTest::newRow("start/hex/lower-case") << "&hff" << true << 255;
    QTest::newRow("start/hex/alone") << "&H" << true << 0;
    QTest::newRow("start/hex/stops-at-misfit") << "&H1G" << true << 1;
    QTest::newRow("start/hex/int32-max") << "&H7FFFFFFF" << true << 2147483647;
    QTest::newRow("start/hex/non-negative-overflow") << "&HFFFFFFFF" << false << 0;
    QTest::newRow("start/hex/saturates") << "&H" + QString(40, u'F') << false << 0;
    QTest::newRow("start/octal/&O17") << "&O17" << true << 15;
    QTest::newRow("start/octal/lower-case") << "&o777" << true << 511;
    QTest::newRow("start/octal/no-eight") << "&O8" << true << 0;
    QTest::newRow("start/octal/saturates") << "&O" + QString(40, u'7') << false << 0;
    QTest::newRow("start/ampersand-alone") << "&" << true << 0;
    QTest::newRow("start/sign-before-hex") << "-&H10" << true << 0;
    QTest::newRow("start/exponent/1E3") << "1E3" << true << 1000;
    QTest::newRow("start/exponent/1D2") << "1D2" << true << 100;
    QTest::newRow("start/exponent/lower-case-e") << "2e1" << true << 20;
    QTest::newRow("start/exponent/lower-case-d") << "2d1" << true << 20;
    QTest::newRow("start/exponent/negative") << "25E-1" << true << 2;
    QTest::newRow("start/exponent/with-fraction") << "1.5E1" << true << 15;
    QTest::newRow("start/exponent/no-digits/1E") << "1E" << true << 1;
    QTest::newRow("start/exponent/sign-no-digits/1E+") << "1E+" << true << 1;
    QTest::newRow("start/exponent/blank-inside/1 E 2") << "1 E 2" << true << 100;
    QTest::newRow("start/long-fraction/1.000...E2") << "1." + QString(500, u'0') + "E2" << true << 100;
    QTest::newRow("start/long-mantissa/1000...E-400") << "1" + QString(400, u'0') + "E-400" << true << 1;
    QTest::newRow("start/tiny/1E-400") << "1E-400" << true << 0;
    QTest::newRow("start/int32-max/2147483647") << "2147483647" << true << 2147483647;
    QTest::newRow("start/int32-max/2147483647.4") << "2147483647.4" << true << 2147483647;
    QTest::newRow("start/overflow/2147483648") << "2147483648" << false << 0;
    QTest::newRow("start/overflow/2147483647.5") << "2147483647.5" << false << 0;
    QTest::newRow("start/int32-min/-2147483648") << "-2147483648" << true << -2147483647 - 1;
    QTest::newRow("start/int32-min/-2147483648.5-to-even") << "-2147483648.5" << true << -2147483647 - 1;
    QTest::newRow("start/overflow/-2147483649") << "-2147483649" << false << 0;
    QTest::newRow("start/overflow/1E400") << "1E400" << false << 0;
    QTest::newRow("start/overflow/-1E400") << "-1E400" << false << 0;
    QTest::newRow("start/overflow/huge-exponent") << "1E99999999999999999999" << false << 0;
    QTest::newRow("start/overflow/many-digits") << QString(10000, u'9') << false << 0;
}

void TestRules::startValue()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QFETCH(int, expected);

    const std::optional<qint32> value = StartValueFromText(text);
    QCOMPARE(value.has_value(), fits);
    if (fits)
        QCOMPARE(*value, expected);
}

void TestRules::textToNumberNeverNaN_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("number/fraction/1.25") << "1.25" << 1.25;
    QTest::newRow("number/negative-fraction/-0.75") << "-0.75" << -0.75;
    QTest::newRow("number/infinite/1E400") << "1E400" << inf;
    QTest::newRow("number/infinite/-1E400") << "-1E400" << -inf;
    QTest::newRow("number/zero-times-huge/0E99999") << "0E99999" << 0.0;
    QTest::newRow("number/sign-alone/-") << "-" << 0.0;
    QTest::newRow("number/dot-alone/.") << "." << 0.0;
}

void TestRules::textToNumberNeverNaN()
{
    QFETCH(QString, text);

    const double number = TextToNumber(text);
    QVERIFY(!std::isnan(number));
    QTEST(number, "expected");
}

void TestRules::filterToPattern_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");

    QTest::newRow("filter/comma/jpg,gif") << "jpg,gif"
                                          << "*.jpg;*.gif";
    QTest::newRow("filter/blank/jpg gif") << "jpg gif"
                                          << "*.jpg;*.gif";
    QTest::newRow("filter/comma-blank/jpg, gif") << "jpg, gif"
                                                 << "*.jpg;*.;*.gif";
    QTest::newRow("filter/trailing-comma/jpg,") << "jpg,"
                                                << "*.jpg;*.";
    QTest::newRow("filter/dot-kept/.txt") << ".txt"
                                          << "*..txt";
    QTest::newRow("filter/star/*") << "*"
                                   << "*.*";
    QTest::newRow("filter/one/txt") << "txt"
                                    << "*.txt";
    QTest::newRow("filter/empty") << ""
                                  << "*.*";
    QTest::newRow("filter/blank-only-not-empty") << " "
                                                 << "*.;*.";
    QTest::newRow("filter/semicolon-kept/jpg;gif") << "jpg;gif"
                                                   << "*.jpg;gif";
    QTest::newRow("filter/case-kept/JPG") << "JPG"
                                          << "*.JPG";
}

void TestRules::filterToPattern()
{
    QFETCH(QString, filter);

    QTEST(FilterToPattern(filter), "expected");
}

void TestRules::maskMatch_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    QTest::newRow("mask/case-insensitive/upper-name") << "*.jpg"
                                                      << "HOLIDAY.JPG" << true;
    QTest::newRow("mask/case-insensitive/upper-mask") << "*.JPG"
                                                      << "holiday.jpg" << true;
    QTest::newRow("mask/extension/other") << "*.jpg"
                                          << "holiday.gif" << false;
    QTest::newRow("mask/extension/last-only") << "*.jpg"
                                              << "a.jpg.txt" << false;
    QTest::newRow("mask/extension/several-dots") << "*.gz"
                                                 << "archive.tar.gz" << true;
    QTest::newRow("mask/all/with-extension") << "*.*"
                                             << "a.txt" << true;
    QTest::newRow("mask/all/no-extension") << "*.*"
                                           << "README" << true;
    QTest::newRow("mask/all/leading-dot") << "*.*"
                                          << ".profile" << true;
    QTest::newRow("mask/no-extension/README") << "*."
                                              << "README" << true;
    QTest::newRow("mask/no-extension/a.txt") << "*."
                                             << "a.txt" << false;
    QTest::newRow("mask/no-extension/.profile") << "*."
                                                << ".profile" << false;
    QTest::newRow("mask/dot-star/prefix-no-extension") << "a*.*"
                                                       << "abc" << true;
    QTest::newRow("mask/dot-star/prefix-other") << "a*.*"
                                                << "bc" << false;
    QTest::newRow("mask/question/one-char") << "?.txt"
                                            << "a.txt" << true;
    QTest::newRow("mask/question/not-none") << "?.txt"
                                            << ".txt" << false;
    QTest::newRow("mask/question/not-two") << "?.txt"
                                           << "ab.txt" << false;
    QTest::newRow("mask/question/surrogate-pair-is-one")
        << "?.txt" << QString::fromUtf8("\xF0\x9F\x98\x80.txt") << true;
    QTest::newRow("mask/star/inner") << "img*x.png"
                                     << "img_001x.png" << true;
    QTest::newRow("mask/star/backtrack") << "*ab*ab"
                                         << "xabyabab" << true;
    QTest::newRow("mask/star/backtrack-fails") << "*ab*abc"
                                               << "xabyabab" << false;
    QTest::newRow("mask/list/second-mask") << "*.jpg;*.gif"
                                           << "a.gif" << true;
    QTest::newRow("mask/list/no-extension-mask") << "*.jpg;*.;*.gif"
                                                 << "Makefile" << true;
    QTest::newRow("mask/list/semicolon-exact/gif") << "*.jpg;gif"
                                                   << "gif" << true;
    QTest::newRow("mask/list/semicolon-exact/a.gif") << "*.jpg;gif"
                                                     << "a.gif" << false;
    QTest::newRow("mask/list/semicolon-exact/GIF") << "*.jpg;gif"
                                                   << "GIF" << true;
    QTest::newRow("mask/double-dot/a..txt") << "*..txt"
                                            << "a..txt" << true;
    QTest::newRow("mask/double-dot/a.txt") << "*..txt"
                                           << "a.txt" << false;
    QTest::newRow("mask/empty-pattern") << ""
                                        << "a.txt" << false;
    QTest::newRow("mask/only-separators") << ";;"
                                          << "a.txt" << false;
}

void TestRules::maskMatch()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);

    const MaskMatcher matcher(pattern);
    QTEST(matcher.matches(name), "expected");
}

void TestRules::maskHostile_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    const QString longB(10000, u'b');
    QTest::newRow("mask/hostile/stars-then-a/no-a") << QString(5000, u'*') + u'a' << longB << false;
    QTest::newRow("mask/hostile/stars-then-a/ends-in-a")
        << QString(5000, u'*') + u'a' << longB + u'a' << true;
    QString alternating;
    for (int i = 0; i < 200; ++i)
        alternating += QStringLiteral("*b");
    QTest::newRow("mask/hostile/star-b-repeated/ends-in-c") << alternating + u'c' << longB << false;
    QTest::newRow("mask/hostile/star-b-repeated/matches") << alternating << longB << true;
}

void TestRules::maskHostile()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);

    // A matcher that tries every split of the name would not finish within
    // the test's time limit.
    const MaskMatcher matcher(pattern);
    QTEST(matcher.matches(name), "expected");
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
