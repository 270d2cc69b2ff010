#include "platform/X11ClipboardReader.h"

#include <QDeadlineTimer>

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int kSliceMs = 100; // how often a wait looks whether the owner is still there

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T* raw)
{
    return Reply<T>(raw, &std::free);
}

class Reader {
public:
    explicit Reader(int stepTimeoutMs, qint64 maxBytes)
        : m_stepTimeoutMs(stepTimeoutMs)
        , m_maxBytes(maxBytes)
    {
    }
    ~Reader()
    {
        if (m_c)
            xcb_disconnect(m_c);
    }

    ClipboardOffer read(const QList<QByteArray>& imageTypes)
    {
        ClipboardOffer offer;
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c)) {
            offer.outcome = ClipboardOffer::Outcome::failed;
            offer.detail = QStringLiteral("cannot connect to the X server");
            return offer;
        }
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_window = xcb_generate_id(m_c);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &events);

        QList<QByteArray> names { "CLIPBOARD", "TARGETS", "INCR", "LUMAFORGE_CLIPBOARD", "text/uri-list" };
        names += imageTypes;
        const QList<xcb_atom_t> atoms = intern(names);
        m_clipboard = atoms[0];
        m_property = atoms[3];
        const xcb_atom_t targetsAtom = atoms[1], uriList = atoms[4];
        m_incr = atoms[2];
        const QList<xcb_atom_t> imageAtoms = atoms.mid(5);

        m_owner = owner();
        if (m_owner == XCB_NONE)
            return offer; // nothing copied
        const std::optional<QByteArray> targets = convert(targetsAtom, offer);
        if (!targets)
            return offer;
        const auto* list = reinterpret_cast<const xcb_atom_t*>(targets->constData());
        const qsizetype count = targets->size() / qsizetype(sizeof(xcb_atom_t));
        xcb_atom_t wanted = XCB_NONE;
        for (qsizetype i = 0; i < count && wanted == XCB_NONE; ++i) {
            if (const qsizetype at = imageAtoms.indexOf(list[i]); at >= 0) {
                wanted = list[i];
                offer.type = imageTypes[at];
            }
        }
        if (wanted == XCB_NONE && std::find(list, list + count, uriList) != list + count) {
            wanted = uriList;
            offer.type = "text/uri-list";
        }
        if (wanted == XCB_NONE)
            return offer; // text or other data, no image
        const std::optional<QByteArray> data = convert(wanted, offer);
        if (!data) {
            offer.stalledOnData = offer.outcome == ClipboardOffer::Outcome::stalled;
            return offer;
        }
        offer.outcome = ClipboardOffer::Outcome::received;
        offer.bytes = *data;
        return offer;
    }

private:
    QList<xcb_atom_t> intern(const QList<QByteArray>& names)
    {
        QList<xcb_intern_atom_cookie_t> cookies;
        for (const QByteArray& name : names)
            cookies.append(xcb_intern_atom(m_c, 0, uint16_t(name.size()), name.constData()));
        QList<xcb_atom_t> atoms;
        for (const xcb_intern_atom_cookie_t& cookie : cookies) {
            auto r = reply(xcb_intern_atom_reply(m_c, cookie, nullptr));
            atoms.append(r ? r->atom : XCB_NONE);
        }
        return atoms;
    }

    xcb_window_t owner()
    {
        auto r = reply(xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), nullptr));
        return r ? r->owner : XCB_NONE;
    }

    // The next event `match` accepts (others are dropped), within one step's bound. None when
    // the bound passes, the owner changes (it went away) or the connection breaks.
    xcb_generic_event_t* waitFor(const std::function<bool(xcb_generic_event_t*)>& match)
    {
        QDeadlineTimer deadline(m_stepTimeoutMs);
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
                if (match(event))
                    return event;
                std::free(event);
            }
            if (xcb_connection_has_error(m_c) || deadline.hasExpired())
                return nullptr;
            pollfd pfd { xcb_get_file_descriptor(m_c), POLLIN, 0 };
            const int slice = int(std::min<qint64>(kSliceMs, deadline.remainingTime()));
            if (::poll(&pfd, 1, slice) == 0 && owner() != m_owner)
                return nullptr;
        }
    }

    // Asks the owner for `target` and reads its answer; none when it refused (nothing), did not
    // answer (stalled) or sent too much (failed), said in `offer`.
    std::optional<QByteArray> convert(xcb_atom_t target, ClipboardOffer& offer)
    {
        xcb_delete_property(m_c, m_window, m_property);
        xcb_convert_selection(m_c, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        xcb_generic_event_t* event = waitFor([this](xcb_generic_event_t* e) {
            if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                return false;
            const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(e);
            return notify->requestor == m_window && notify->selection == m_clipboard;
        });
        if (!event) {
            offer.outcome = ClipboardOffer::Outcome::stalled;
            offer.detail = QStringLiteral("the clipboard's owner did not answer within %1 ms").arg(m_stepTimeoutMs);
            return std::nullopt;
        }
        const xcb_atom_t property = reinterpret_cast<xcb_selection_notify_event_t*>(event)->property;
        std::free(event);
        if (property == XCB_NONE)
            return std::nullopt; // refused
        return readProperty(offer);
    }

    // Reads and deletes the answer; an INCR answer is followed chunk by chunk.
    std::optional<QByteArray> readProperty(ClipboardOffer& offer)
    {
        auto first = reply(xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4), nullptr));
        if (!first)
            return std::nullopt;
        if (first->type != m_incr)
            return bytesOf(first.get(), {}, offer);
        QByteArray data;
        for (;;) {
            xcb_generic_event_t* event = waitFor([this](xcb_generic_event_t* e) {
                if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(e);
                return notify->window == m_window && notify->atom == m_property
                    && notify->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!event) {
                offer.outcome = ClipboardOffer::Outcome::stalled;
                offer.detail = QStringLiteral("the clipboard's owner stopped after %1 bytes").arg(data.size());
                return std::nullopt;
            }
            std::free(event);
            auto chunk = reply(xcb_get_property_reply(
                m_c, xcb_get_property(m_c, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4), nullptr));
            if (!chunk)
                return std::nullopt;
            if (xcb_get_property_value_length(chunk.get()) == 0)
                return data;
            const std::optional<QByteArray> more = bytesOf(chunk.get(), data, offer);
            if (!more)
                return std::nullopt;
            data = *more;
        }
    }

    std::optional<QByteArray> bytesOf(xcb_get_property_reply_t* r, QByteArray data, ClipboardOffer& offer)
    {
        const qint64 size = xcb_get_property_value_length(r); // in bytes
        if (data.size() + size > m_maxBytes) {
            offer.outcome = ClipboardOffer::Outcome::failed;
            offer.detail = QStringLiteral("the clipboard's data is larger than %1 MB").arg(m_maxBytes >> 20);
            return std::nullopt;
        }
        data.append(static_cast<const char*>(xcb_get_property_value(r)), qsizetype(size));
        return data;
    }

    const int m_stepTimeoutMs;
    const qint64 m_maxBytes;
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_window = XCB_NONE;
    xcb_window_t m_owner = XCB_NONE;
    xcb_atom_t m_clipboard = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
    xcb_atom_t m_incr = XCB_NONE;
};

}

ClipboardOffer readX11Clipboard(const QList<QByteArray>& imageTypes, int stepTimeoutMs, qint64 maxBytes)
{
    return Reader(stepTimeoutMs, maxBytes).read(imageTypes);
}
