// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as text in the user's locale, and text that is no number.
#include "common/locale_number.h"

#include <QtTest>

using namespace crunchwise;

class LocaleNumberTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void numbersAsText() {
        const struct {
            const char* what;
            const char* locale;
            float value;
            const char* text;
        } rows[] = {
            {"whole number has no decimals", "en_US", 1000.0f, "1000"},
            {"no group separator", "en_US", 123456.0f, "123456"},
            {"decimal point", "en_US", 1234.5f, "1234.5"},
            {"decimal comma", "de_DE", 1234.5f, "1234,5"},
            {"negative position", "en_US", -240.0f, "-240"},
        };
        for (const auto& row : rows) {
            QLocale::setDefault(QLocale(QString::fromLatin1(row.locale)));
            QVERIFY2(LocaleNumber::fromSingle(row.value) == QLatin1String(row.text), row.what);
            QVERIFY2(LocaleNumber::toSingle(QString::fromLatin1(row.text)).value_or(-1.0f) ==
                         row.value,
                     row.what);
        }
    }

    void textThatIsNoNumber() {
        QVERIFY(!LocaleNumber::toSingle(QStringLiteral("left")));
        QVERIFY(!LocaleNumber::toSingle(QString()));
        QVERIFY(!LocaleNumber::toInteger(QStringLiteral("1.5")));
        QVERIFY(!LocaleNumber::toInteger(QStringLiteral("40000"))); // past 16 bits
        QCOMPARE(LocaleNumber::toInteger(QStringLiteral("1")).value_or(0), short(1));
    }
};

QTEST_MAIN(LocaleNumberTest)
#include "locale_number_test.moc"
