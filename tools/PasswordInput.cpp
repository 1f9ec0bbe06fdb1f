#include "PasswordInput.h"

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

QString readPassword(const QString &prompt)
{
    const bool terminal = isatty(STDIN_FILENO);
    termios saved {};
    if (terminal) {
        std::fprintf(stderr, "%s", prompt.toLocal8Bit().constData());
        std::fflush(stderr);
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        line += char(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputc('\n', stderr);
    }
    return QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
}
