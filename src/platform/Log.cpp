#include "platform/Log.h"

#include <cstdio>

namespace Log {

namespace {

Sink& currentSink()
{
    static Sink sink;
    return sink;
}

void writeLine(std::FILE* stream, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

void line(const QString& text)
{
    if (const Sink& sink = currentSink())
        sink(text);
    else
        toStandardOutput(text);
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

void toStandardOutput(const QString& text)
{
    writeLine(stdout, text);
}

void toStandardError(const QString& text)
{
    writeLine(stderr, text);
}

} // namespace Log
