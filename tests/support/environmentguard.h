#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

// Environment variables set (a null value: unset) for as long as it lives; afterwards each is as it was.
class EnvironmentGuard final
{
    Q_DISABLE_COPY_MOVE(EnvironmentGuard)

public:
    EnvironmentGuard(std::initializer_list<std::pair<const char *, QByteArray>> values = {})
    {
        for (const auto &[name, value] : values)
            set(name, value);
    }
    ~EnvironmentGuard()
    {
        for (auto saved = m_saved.crbegin(); saved != m_saved.crend(); ++saved)
            put(saved->first, saved->second);
    }
    void set(const char *name, const QByteArray &value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        put(name, value.isNull() ? std::nullopt : std::optional(value));
    }

private:
    static void put(const QByteArray &name, const std::optional<QByteArray> &value)
    {
        value ? qputenv(name.constData(), *value) : qunsetenv(name.constData());
    }

    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};
