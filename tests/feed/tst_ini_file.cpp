#include "feed/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using feed::ReadIniKey;
using feed::WriteIniKey;

class TestIniFile : public QObject {
    Q_OBJECT

private:
    // A fresh directory for every test function.
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name = QStringLiteral("settings.ini")) const {
        return m_dir->filePath(name);
    }
    void writeBytes(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    static QByteArray readBytes(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void readFollowsPrivateProfileRules_data();
    void readFollowsPrivateProfileRules();
    void readCutsValuesTo519Characters();
    void readMissingFileGivesEmpty();
    void readSurvivesGarbageAndLongLines();

    void writeCreatesMissingFile();
    void writeReplacesInPlaceKeepingEverythingElse();
    void writeMatchesNamesWithoutCase();
    void writeAddsKeyToEndOfItsSection();
    void writeAppendsMissingSection();
    void writeTerminatesLastLineWithoutNewline();
    void writeUpdatesOnlyFirstDuplicate();
    void writeKeepsCrlfAndBom();
    void writeUsesLatin1();
    void writeKeepsValueOnOneLine();
    void writeFailureReportsErrorAndKeepsOldContent();
};

void TestIniFile::readFollowsPrivateProfileRules_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString s = QStringLiteral("XMLSetup");
    const QString k = QStringLiteral("XMLCurrent");
    QTest::newRow("plain") << QByteArray("[XMLSetup]\nXMLCurrent=http://a/b\n") << s << k
                           << "http://a/b";
    QTest::newRow("names without case")
        << QByteArray("[xmlSETUP]\nxmlcurrent=v\n") << s << k << "v";
    QTest::newRow("blanks around name and value")
        << QByteArray("  [ XMLSetup ]  \n   XMLCurrent  =  \t http://x \t \n") << s << k
        << "http://x";
    QTest::newRow("equals sign inside value")
        << QByteArray("[XMLSetup]\nXMLCurrent=http://h/a.asp?ID=K&format=XML\n") << s << k
        << "http://h/a.asp?ID=K&format=XML";
    QTest::newRow("enclosing quotes dropped")
        << QByteArray("[XMLSetup]\nXMLCurrent=\" spaced \"\n") << s << k << "spaced";
    QTest::newRow("unbalanced quote kept")
        << QByteArray("[XMLSetup]\nXMLCurrent=\"open\n") << s << k << "\"open";
    QTest::newRow("empty value") << QByteArray("[XMLSetup]\nXMLCurrent=\n") << s << k << "";
    QTest::newRow("key of another section")
        << QByteArray("[Other]\nXMLCurrent=no\n[XMLSetup]\nXMLDaily=d\n") << s << k << "";
    QTest::newRow("key before any section")
        << QByteArray("XMLCurrent=no\n[XMLSetup]\n") << s << k << "";
    QTest::newRow("commented key") << QByteArray("[XMLSetup]\n;XMLCurrent=no\n") << s << k << "";
    QTest::newRow("key name only a prefix")
        << QByteArray("[XMLSetup]\nXMLCurrentX=no\nXMLCur=no\n") << s << k << "";
    QTest::newRow("section name only a prefix")
        << QByteArray("[XMLSetupOld]\nXMLCurrent=no\n") << s << k << "";
    QTest::newRow("first duplicate key wins")
        << QByteArray("[XMLSetup]\nXMLCurrent=one\nXMLCurrent=two\n") << s << k << "one";
    QTest::newRow("first duplicate section wins")
        << QByteArray("[XMLSetup]\nXMLCurrent=one\n[XMLSetup]\nXMLCurrent=two\n") << s << k
        << "one";
    QTest::newRow("CRLF line endings")
        << QByteArray("[XMLSetup]\r\nXMLCurrent=crlf\r\nXMLDaily=d\r\n") << s << k << "crlf";
    QTest::newRow("UTF-8 byte-order mark")
        << QByteArray("\xEF\xBB\xBF[XMLSetup]\r\nXMLCurrent=bom\r\n") << s << k << "bom";
    QTest::newRow("Latin-1 text") << QByteArray("[XMLSetup]\nXMLCurrent=caf\xE9\n") << s << k
                                  << QStringLiteral("caf\u00E9");
    QTest::newRow("no newline at end")
        << QByteArray("[XMLSetup]\nXMLCurrent=last") << s << k << "last";
}

void TestIniFile::readFollowsPrivateProfileRules() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeBytes(path(), file);
    QCOMPARE(ReadIniKey(path(), section, key), expected);
}

void TestIniFile::readCutsValuesTo519Characters() {
    QByteArray value;
    for (int i = 0; i < 700; ++i)
        value += char('a' + i % 26);
    writeBytes(path(), "[S]\nk=" + value + "\n");
    const QString got = ReadIniKey(path(), QStringLiteral("S"), QStringLiteral("k"));
    QCOMPARE(got.size(), 519);
    QCOMPARE(got, QString::fromLatin1(value.left(519)));

    // The cut comes before trimming: blanks that end up last are dropped.
    writeBytes(path(), "[S]\nk=" + QByteArray(517, 'x') + "   yyy\n");
    QCOMPARE(ReadIniKey(path(), QStringLiteral("S"), QStringLiteral("k")), QString(517, u'x'));
}

void TestIniFile::readMissingFileGivesEmpty() {
    QCOMPARE(ReadIniKey(path(QStringLiteral("absent.ini")), QStringLiteral("XMLSetup"),
                        QStringLiteral("XMLCurrent")),
             QString());
    // A directory where the file should be reads as no file.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("dir.ini")));
    QCOMPARE(ReadIniKey(path(QStringLiteral("dir.ini")), QStringLiteral("XMLSetup"),
                        QStringLiteral("XMLCurrent")),
             QString());
}

void TestIniFile::readSurvivesGarbageAndLongLines() {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 7919) % 256); // every byte value, NULs and lone CRs included
    // Long, but the file stays within the 1 MiB a settings file may have.
    const QByteArray longLine(1000 * 1000, '[');
    writeBytes(path(), garbage + "\n" + longLine + "\n[XMLSetup]\nXMLDaily=found\n" + garbage);
    QCOMPARE(ReadIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily")),
             QStringLiteral("found"));
    QCOMPARE(ReadIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent")),
             QString());
    // And the writer keeps the garbage byte for byte around its change.
    const QByteArray before = readBytes(path());
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily"),
                         QStringLiteral("new")),
             QStringLiteral("OK"));
    QByteArray expected = before;
    expected.replace("XMLDaily=found", "XMLDaily=new");
    QCOMPARE(readBytes(path()), expected);
}

void TestIniFile::writeCreatesMissingFile() {
    const QString file = path(QStringLiteral("new.ini"));
    QCOMPARE(WriteIniKey(file, QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent"),
                         QStringLiteral("http://a")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(file), QByteArray("[XMLSetup]\nXMLCurrent=http://a\n"));
    QCOMPARE(ReadIniKey(file, QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent")),
             QStringLiteral("http://a"));
    // The save goes through a temporary file that must not be left behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("new.ini")});
}

void TestIniFile::writeReplacesInPlaceKeepingEverythingElse() {
    const QByteArray before = "; settings of the feed\n"
                              "[Window]\n"
                              "Left=10\n"
                              "\n"
                              "[XMLSetup]\n"
                              "; where the feed comes from\n"
                              "XMLCurrent=http://old\n"
                              "XMLDaily=http://daily\n"
                              "\n"
                              "[Other]\n"
                              "XMLCurrent=not this one\n";
    writeBytes(path(), before);
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent"),
                         QStringLiteral("http://new")),
             QStringLiteral("OK"));
    QByteArray expected = before;
    expected.replace("XMLCurrent=http://old", "XMLCurrent=http://new");
    QCOMPARE(readBytes(path()), expected);
}

void TestIniFile::writeMatchesNamesWithoutCase() {
    writeBytes(path(), "[xmlsetup]\nxmlcurrent=old\n");
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent"),
                         QStringLiteral("new")),
             QStringLiteral("OK"));
    const QByteArray after = readBytes(path());
    QCOMPARE(after.count("[xmlsetup]") + after.count("[XMLSetup]"), 1);
    QCOMPARE(after.toLower().count("xmlcurrent="), 1);
    QVERIFY(!after.contains("old"));
    QCOMPARE(ReadIniKey(path(), QStringLiteral("XMLSETUP"), QStringLiteral("xmlCurrent")),
             QStringLiteral("new"));
}

void TestIniFile::writeAddsKeyToEndOfItsSection() {
    writeBytes(path(), "[XMLSetup]\nXMLCurrent=c\n\n[Other]\nx=1\n");
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily"),
                         QStringLiteral("d")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()),
             QByteArray("[XMLSetup]\nXMLCurrent=c\nXMLDaily=d\n\n[Other]\nx=1\n"));
}

void TestIniFile::writeAppendsMissingSection() {
    writeBytes(path(), "[Other]\nx=1\n");
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLGMTOffset"),
                         QStringLiteral("5")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()), QByteArray("[Other]\nx=1\n\n[XMLSetup]\nXMLGMTOffset=5\n"));
}

void TestIniFile::writeTerminatesLastLineWithoutNewline() {
    writeBytes(path(), "[XMLSetup]\nXMLCurrent=c");
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily"),
                         QStringLiteral("d")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()), QByteArray("[XMLSetup]\nXMLCurrent=c\nXMLDaily=d\n"));
    // Replacing the unterminated last line keeps it unterminated.
    writeBytes(path(), "[XMLSetup]\nXMLCurrent=c");
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent"),
                         QStringLiteral("e")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()), QByteArray("[XMLSetup]\nXMLCurrent=e"));
}

void TestIniFile::writeUpdatesOnlyFirstDuplicate() {
    writeBytes(path(), "[XMLSetup]\nk=1\nk=2\n[XMLSetup]\nk=3\n");
    QCOMPARE(
        WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("k"), QStringLiteral("9")),
        QStringLiteral("OK"));
    QCOMPARE(readBytes(path()), QByteArray("[XMLSetup]\nk=9\nk=2\n[XMLSetup]\nk=3\n"));
    // A key missing from the first of two same-named sections goes there,
    // because that is the only one the reader looks at.
    writeBytes(path(), "[XMLSetup]\na=1\n[XMLSetup]\nk=3\n");
    QCOMPARE(
        WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("k"), QStringLiteral("9")),
        QStringLiteral("OK"));
    QCOMPARE(ReadIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("k")),
             QStringLiteral("9"));
}

void TestIniFile::writeKeepsCrlfAndBom() {
    writeBytes(path(), "\xEF\xBB\xBF[XMLSetup]\r\nXMLCurrent=old\r\n");
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent"),
                         QStringLiteral("new")),
             QStringLiteral("OK"));
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily"),
                         QStringLiteral("d")),
             QStringLiteral("OK"));
    QCOMPARE(WriteIniKey(path(), QStringLiteral("Extra"), QStringLiteral("x"), QStringLiteral("1")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()), QByteArray("\xEF\xBB\xBF[XMLSetup]\r\nXMLCurrent=new\r\n"
                                           "XMLDaily=d\r\n\r\n[Extra]\r\nx=1\r\n"));

    // An unterminated last line gets the file's CRLF when a line follows it.
    writeBytes(path(), "[XMLSetup]\r\nXMLCurrent=c");
    QCOMPARE(WriteIniKey(path(), QStringLiteral("XMLSetup"), QStringLiteral("XMLDaily"),
                         QStringLiteral("d")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()), QByteArray("[XMLSetup]\r\nXMLCurrent=c\r\nXMLDaily=d\r\n"));
}

void TestIniFile::writeUsesLatin1() {
    QCOMPARE(WriteIniKey(path(), QStringLiteral("S"), QStringLiteral("k"),
                         QStringLiteral("\u00B0F caf\u00E9")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()), QByteArray("[S]\nk=\xB0"
                                           "F caf\xE9\n"));
    QCOMPARE(ReadIniKey(path(), QStringLiteral("S"), QStringLiteral("k")),
             QStringLiteral("\u00B0F caf\u00E9"));
}

void TestIniFile::writeKeepsValueOnOneLine() {
    QCOMPARE(WriteIniKey(path(), QStringLiteral("S"), QStringLiteral("k"),
                         QStringLiteral("a\nb=c\r\n[S]")),
             QStringLiteral("OK"));
    QCOMPARE(readBytes(path()).count('\n'), 2);
    QCOMPARE(ReadIniKey(path(), QStringLiteral("S"), QStringLiteral("b")), QString());
}

void TestIniFile::writeFailureReportsErrorAndKeepsOldContent() {
    // Tests may run as root, for whom permissions do not stop a write; a
    // path through a regular file, or a directory standing where the file
    // should be, fails for everyone.
    const QString blocker = path(QStringLiteral("plain-file"));
    writeBytes(blocker, "[XMLSetup]\nXMLCurrent=keep\n");
    QCOMPARE(WriteIniKey(blocker + QStringLiteral("/settings.ini"), QStringLiteral("XMLSetup"),
                         QStringLiteral("XMLCurrent"), QStringLiteral("x")),
             QStringLiteral("ERROR"));
    QCOMPARE(readBytes(blocker), QByteArray("[XMLSetup]\nXMLCurrent=keep\n"));

    const QString dirAsFile = path(QStringLiteral("taken.ini"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("taken.ini")));
    writeBytes(dirAsFile + QStringLiteral("/inside"), "kept");
    QCOMPARE(WriteIniKey(dirAsFile, QStringLiteral("XMLSetup"), QStringLiteral("XMLCurrent"),
                         QStringLiteral("x")),
             QStringLiteral("ERROR"));
    QVERIFY(QFileInfo(dirAsFile).isDir());
    QCOMPARE(readBytes(dirAsFile + QStringLiteral("/inside")), QByteArray("kept"));

    QCOMPARE(WriteIniKey(path(), QString(), QStringLiteral("k"), QStringLiteral("v")),
             QStringLiteral("ERROR"));
    QVERIFY(!QFile::exists(path()));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
