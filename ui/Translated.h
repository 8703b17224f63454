#pragma once

class QWidget;

// Texts that follow a language switch without their widget having to: the text is
// set now and set again from its source at each language change. context and source
// are a translation's context and English text, marked with QT_TRANSLATE_NOOP so that
// the catalogues hold them. Works for labels, buttons and group boxes.
void setTranslatedText(QWidget *widget, const char *context, const char *source);
void setTranslatedToolTip(QWidget *widget, const char *context, const char *source);
