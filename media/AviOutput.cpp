#include "media/AviOutput.h"

bc_ret newAviOutput(const QString &fileName, av::Output &container, AVStream *&stream)
{
    const AVOutputFormat *format = av_guess_format(nullptr, "k.avi", nullptr);
    if (!format)
        return bc_ret(QStringLiteral("av_guess_format"), -1, QStringLiteral("Error guess format"));
    int result = 0;
    container = av::newOutput(format, fileName.toUtf8().constData(), result);
    if (!container)
        return bc_ret(QStringLiteral("avformat_alloc_output_context2"), result, QStringLiteral("Error allocate context"));
    stream = avformat_new_stream(container.get(), nullptr);
    if (!stream)
        return bc_ret(QStringLiteral("avformat_new_stream"), -1, QStringLiteral("Error allocate stream"));
    return bc_ret();
}
