#pragma once

#include <QString>

#include <stdexcept>

// Every error of the board is an exception carrying the text the user is shown.
class TavlixError : public std::runtime_error
{
public:
    explicit TavlixError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    QString message() const { return m_message; }

private:
    QString m_message;
};
