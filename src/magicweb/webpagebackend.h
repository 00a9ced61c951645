#pragma once

#include "engine/magic/translationpage.h"

#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QWebEngineProfile;

// The translation page backend: hidden Qt WebEngine pages on a web
// translation page that is driven by its address fragment "#auto|<lang>|" and
// the element ids "source", "gt-submit" and "result_box". Built as a plugin so
// that only a run that uses it loads Qt WebEngine; needs a QGuiApplication.
class WebPageBackend : public TranslationBackend
{
public:
    WebPageBackend(const QString &pageAddress, const QString &checkAddress);
    ~WebPageBackend() override;

    [[nodiscard]] QString unusableReason() const override;
    [[nodiscard]] bool browserTooOld() const override;
    // GET of the check address; passes at once when there is none.
    void checkConnection(QObject *context, std::function<void(bool ok)> done) override;
    [[nodiscard]] LanguagePlan plan(qsizetype articleLength) const override;
    [[nodiscard]] MagicTimings timings(qsizetype articleLength) const override;
    [[nodiscard]] std::unique_ptr<TranslationPage> createPage() override;

private:
    QString m_pageAddress;
    QUrl m_checkAddress;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

extern "C" Q_DECL_EXPORT TranslationBackend *rewordixCreateWebBackend(const QString &pageAddress,
                                                                      const QString &checkAddress);
