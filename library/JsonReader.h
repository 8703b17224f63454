#pragma once

#include <QString>
#include <QVariant>

// Reads the JSON of the web service's replies into QVariant values: objects as
// QVariantMap (a repeated key keeps the last value), arrays as QVariantList,
// strings as QString, numbers as their text (callers convert), true/false as bool,
// null as an invalid QVariant. Lenient as the service's replies need: commas are
// optional and may repeat, number texts are not checked, text after the first
// value is ignored. A null text gives an invalid value with success true.
// Nesting deeper than kJsonMaxDepth fails instead of exhausting the stack.
QVariant parseJson(const QString &text, bool &success);

inline constexpr int kJsonMaxDepth = 512;
