// Test helper: receives the desktop's "open this file" requests instead of
// the desktop, so that a window test can see which file a program offered
// to open without any application starting.
#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <vector>

namespace lx::test {

class TOpenedUrls : public QObject {
  Q_OBJECT

 public:
  TOpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
  ~TOpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
  std::vector<QUrl> urls;

 public Q_SLOTS:
  void Open(const QUrl& url) { urls.push_back(url); }
};

}  // namespace lx::test
