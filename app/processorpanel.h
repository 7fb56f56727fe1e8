#pragma once
// Fills the "Processor info" box: the identification operations, called
// once each in the order they rely on, with each label's text shown as soon
// as its step is done. An exception ends the filling at its step, so the
// later labels keep their design captions.
#include <functional>
#include <string>

enum class TPanelLabel { Label7, Label8, Label9, Label10, Label11, Label14 };

// Texts are 8-bit, in the Windows ANSI code page.
using TShowPanelText = std::function<void(TPanelLabel label, const std::string& text)>;

void FillProcessorPanel(const TShowPanelText& show);

// "%.3f MHz", with the decimal separator of the C library's locale.
std::string ClockText(double megahertz);
