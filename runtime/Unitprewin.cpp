#include "runtime/Unitprewin.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>
#include <optional>

#include "platform/MessageService.h"
#include "runtime/ModeChoice.h"

#ifdef NUVIRA_HAVE_XCB
#include <xcb/xcb.h>
#include <cstdlib>
#endif

TForm2::TForm2(QWidget *parent) : QWidget(parent, Qt::FramelessWindowHint)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    resize(165, 139);

    AAFadeText1 = new FadeText(this);
    AAFadeText1->setGeometry(0, 24, 145, 34);
    AAFadeText1->setBackground(Qt::white);
    AAFadeText1->setLines(previewLines());
}

QStringList TForm2::previewLines()
{
    return {QStringLiteral("NUVIRA"),
            QStringLiteral("Salvapantallas con tus fotos"),
            QStringLiteral("150 efectos de transición"),
            QStringLiteral("Música de fondo y Flash"),
            QStringLiteral("Equipo NUVIRA"),
            QStringLiteral("nuvira.example.org")};
}

namespace {

#ifdef NUVIRA_HAVE_XCB
// A connection of our own to ask the X server about the host window: it does not disturb
// Qt's connection and works whatever Qt's native interfaces offer.
class HostWatch {
public:
    explicit HostWatch(quint32 id) : m_id(id)
    {
        m_conn = xcb_connect(nullptr, nullptr);
        if (m_conn && xcb_connection_has_error(m_conn)) {
            xcb_disconnect(m_conn);
            m_conn = nullptr;
        }
    }
    ~HostWatch()
    {
        if (m_conn) xcb_disconnect(m_conn);
    }
    bool usable() const { return m_conn != nullptr; }
    // The host's size, or nothing when the window does not exist.
    std::optional<QSize> size() const
    {
        if (!m_conn) return std::nullopt;
        xcb_generic_error_t *err = nullptr;
        xcb_get_geometry_reply_t *g =
            xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, m_id), &err);
        if (err) std::free(err);
        if (!g) return std::nullopt;
        const QSize s(g->width, g->height);
        std::free(g);
        return s;
    }

private:
    xcb_connection_t *m_conn = nullptr;
    quint32 m_id;
};
#endif

} // namespace

int RunPreview(const QString &hostText)
{
    const std::optional<long long> host = ParsePreviewHost(hostText);
    if (!host) {
        MessageService::message(QStringLiteral("'%1' is not a valid integer value").arg(hostText));
        return 1;
    }
    const WId id = WId(quint64(*host) & 0xffffffffu);

    QSize hostSize;
    std::function<bool()> hostAlive = [] { return true; };
#ifdef NUVIRA_HAVE_XCB
    std::shared_ptr<HostWatch> watch;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        watch = std::make_shared<HostWatch>(quint32(id));
        if (watch->usable()) {
            const auto s = watch->size();
            if (!s) return 0; // the host is already gone: nothing to preview in
            hostSize = *s;
            hostAlive = [watch] { return watch->size().has_value(); };
        }
    }
#endif

    QWindow *hostWindow = QWindow::fromWinId(id);
    if (!hostWindow) return 0;
    if (!hostSize.isValid() || hostSize.isEmpty()) hostSize = hostWindow->geometry().size();

    auto *form = new TForm2;
    form->setAttribute(Qt::WA_NativeWindow);
    form->winId(); // creates the native window so it can be re-parented
    form->windowHandle()->setParent(hostWindow);
    if (hostSize.isValid() && !hostSize.isEmpty()) form->setGeometry(QRect(QPoint(0, 0), hostSize));
    else form->move(0, 0);
    form->show();

    // The preview runs until its window closes or its host goes away.
    QEventLoop loop;
    QPointer<TForm2> guard(form);
    QTimer watchTimer;
    watchTimer.setInterval(250);
    QObject::connect(&watchTimer, &QTimer::timeout, &loop, [&] {
        if (!guard || !guard->isVisible() || !hostAlive()) loop.quit();
    });
    watchTimer.start();
    loop.exec();
    watchTimer.stop();

    if (guard) {
        // The host may already be destroyed, and our native window with it: detach
        // before freeing so Qt does not act on a window the server removed.
        guard->hide();
        delete guard.data();
    }
    delete hostWindow;
    return 0;
}
