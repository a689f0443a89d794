// libsecret's headers use `signals` as a name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <libsecret/secret.h>
#pragma pop_macro("signals")

#include "secretstore.h"

#include "logging.h"

#include <QPointer>
#include <QTimer>

namespace marquetrix {

namespace {

constexpr auto kServerAttribute = "server";
constexpr auto kUserAttribute = "user";

GHashTable *newAttributes()
{
    return g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
}

void addAttribute(GHashTable *attributes, const char *name, const QString &value)
{
    g_hash_table_insert(attributes, g_strdup(name), g_strdup(value.toUtf8().constData()));
}

// One call in flight. It outlives its answer when the bound runs out first: libsecret still
// calls back once the cancellation has gone through, and only then may the call's data go.
class SecretCall
{
public:
    using Finish = std::function<void(GAsyncResult *result)>;

    SecretCall(QObject *context, std::chrono::milliseconds bound, std::function<void()> timedOut)
        : m_context(context), m_hasContext(context != nullptr), m_cancellable(g_cancellable_new()),
          m_attributes(newAttributes()), m_timedOut(std::move(timedOut))
    {
        m_timer.setSingleShot(true);
        // A coarse timer may fire up to 5% early; the bound is a promise to the caller.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_answered)
                return;
            m_answered = true;
            g_cancellable_cancel(m_cancellable);
            if (contextAlive())
                m_timedOut();
        });
        m_timer.start(bound);
    }

    ~SecretCall()
    {
        g_hash_table_unref(m_attributes);
        g_object_unref(m_cancellable);
    }

    SecretCall(const SecretCall &) = delete;
    SecretCall &operator=(const SecretCall &) = delete;

    GCancellable *cancellable() const { return m_cancellable; }
    GHashTable *attributes() const { return m_attributes; }
    void setFinish(Finish finish) { m_finish = std::move(finish); }

    static void ready(GObject *, GAsyncResult *result, gpointer data)
    {
        auto *call = static_cast<SecretCall *>(data);
        call->m_timer.stop();
        if (!call->m_answered) {
            call->m_answered = true;
            if (call->contextAlive())
                call->m_finish(result);
        }
        delete call;
    }

private:
    bool contextAlive() const { return !m_hasContext || !m_context.isNull(); }

    QPointer<QObject> m_context;
    bool m_hasContext;
    GCancellable *m_cancellable;
    GHashTable *m_attributes;
    std::function<void()> m_timedOut;
    Finish m_finish;
    QTimer m_timer;
    bool m_answered = false;
};

int failureStatus(GError *error, const char *what)
{
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        g_error_free(error);
        return SecretStore::kTimedOut;
    }
    qCWarning(lcSecrets).nospace()
        << "The secret service failed to " << what << ": "
        << (error ? QString::fromUtf8(error->message) : QStringLiteral("no reason given"));
    if (error)
        g_error_free(error);
    return SecretStore::kServiceFailed;
}

std::optional<QString> userOf(SecretItem *item)
{
    GHashTable *attributes = secret_item_get_attributes(item);
    std::optional<QString> user;
    if (const auto *value =
            static_cast<const char *>(g_hash_table_lookup(attributes, kUserAttribute)))
        user = QString::fromUtf8(value);
    g_hash_table_unref(attributes);
    return user;
}

} // namespace

void SecretStore::store(const QString &server, const QString &user, const QByteArray &secret,
                        QObject *context, StoreDone done, std::chrono::milliseconds bound)
{
    auto *call = new SecretCall(context, bound, [done] { done(kTimedOut); });
    addAttribute(call->attributes(), kServerAttribute, server);
    addAttribute(call->attributes(), kUserAttribute, user);
    call->setFinish([done](GAsyncResult *result) {
        GError *error = nullptr;
        if (secret_service_store_finish(nullptr, result, &error))
            done(kSuccess);
        else
            done(failureStatus(error, "store an item"));
    });
    SecretValue *value = secret_value_new(secret.constData(), secret.size(), "text/plain");
    secret_service_store(nullptr, SECRET_SCHEMA_COMPAT_NETWORK, call->attributes(),
                         SECRET_COLLECTION_DEFAULT, server.toUtf8().constData(), value,
                         call->cancellable(), &SecretCall::ready, call);
    secret_value_unref(value);
}

void SecretStore::lookup(const QString &server, QObject *context, LookupDone done,
                         std::chrono::milliseconds bound)
{
    auto *call = new SecretCall(context, bound, [done] { done(kTimedOut, std::nullopt); });
    addAttribute(call->attributes(), kServerAttribute, server);
    call->setFinish([done](GAsyncResult *result) {
        GError *error = nullptr;
        GList *items = secret_service_search_finish(nullptr, result, &error);
        if (error) {
            done(failureStatus(error, "search"), std::nullopt);
            return;
        }
        if (!items) {
            done(kItemNotFound, std::nullopt);
            return;
        }
        auto *item = static_cast<SecretItem *>(items->data);
        Item found{.user = userOf(item), .secret = std::nullopt};
        if (SecretValue *value = secret_item_get_secret(item)) {
            gsize length = 0;
            const gchar *bytes = secret_value_get(value, &length);
            found.secret = QByteArray(bytes, static_cast<qsizetype>(length));
            secret_value_unref(value);
        }
        g_list_free_full(items, g_object_unref);
        done(kSuccess, found);
    });
    const auto flags =
        static_cast<SecretSearchFlags>(SECRET_SEARCH_LOAD_SECRETS | SECRET_SEARCH_UNLOCK);
    secret_service_search(nullptr, SECRET_SCHEMA_COMPAT_NETWORK, call->attributes(), flags,
                          call->cancellable(), &SecretCall::ready, call);
}

} // namespace marquetrix
