#pragma once

#include "core/params/TParameterTransfer.h"

#include <QString>

class TLanguage;

// Why a parameter window's Receive and Send are off, in the order the window asks.
enum class TTransferBlock { None, Busy, NoPort, NoSet };

// The status line's remark for a blocked Receive or Send; empty for None.
QString TransferBlockText(TTransferBlock block, const TLanguage& language);

// The status line's remark after a Receive ("Receive: 64 parameters read") or a Send
// ("Send: 64 parameters written", with the read-back "..., 63 of 64 matched when read back").
QString ReceiveSummary(TTransferOutcome outcome, const TTransferCounts& counts, const TLanguage& language);
QString SendSummary(TTransferOutcome outcome, const TTransferCounts& counts, const TLanguage& language);

// The check box beside Send that reads the controller back after writing, and its tooltip.
QString VerifyCheckText(const TLanguage& language);
QString VerifyCheckHint(const TLanguage& language);
