// Files on disk for the tests, and a full disk: the test runs again in a child
// in its own namespaces (unshare -rm) on a 16 KiB tmpfs, or is skipped.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

// Every entry of the folder by name, hidden ones too (as a temporary file left behind).
inline QStringList Entries(const QString& dir) {
  return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

// The file's bytes; empty when it cannot be read.
inline QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// In the child: folder := the tiny disk's folder. In the parent: runs the test
// in the child, records its outcome and leaves folder empty; the caller returns.
inline void OnTinyDisk(QString& folder) {
  folder = qEnvironmentVariable("WELTNETZ_TINY_DISK");
  if (!folder.isEmpty()) return;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  QTemporaryDir mountPoint;
  QProcess child;
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QStringLiteral("unshare"),
              {"-rm", "sh", "-c",
               "mount -t tmpfs -o size=16k weltnetz-test \"$1\" || exit 0\n"
               "echo tiny disk mounted\n"
               "WELTNETZ_TINY_DISK=\"$1\" exec \"$0\" --gtest_filter=\"$2\"",
               QCoreApplication::applicationFilePath(), mountPoint.path(),
               QStringLiteral("%1.%2").arg(test->test_suite_name(), test->name())});
  const bool finished = child.waitForFinished(120000);
  const QString output = QString::fromLocal8Bit(child.readAll());
  if (!output.startsWith(QStringLiteral("tiny disk mounted")))
    GTEST_SKIP() << "no mount namespace for a small file system: " << output.toStdString();
  ASSERT_TRUE(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
      << output.toStdString();
}
