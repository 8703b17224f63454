// libFuzzer target for the reader of the web service's JSON replies: no input may
// crash it, hang it or read out of bounds. Built and run by scripts/fuzz.
#include "library/JsonReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    bool success = false;
    const QVariant value = parseJson(text, success);
    // A failed parse never hands back a partial tree: nothing, or an empty container.
    const bool empty = !value.isValid() || (value.typeId() == QMetaType::QVariantMap && value.toMap().isEmpty())
                       || (value.typeId() == QMetaType::QVariantList && value.toList().isEmpty());
    if (!success && !empty)
        __builtin_trap();
    return 0;
}
