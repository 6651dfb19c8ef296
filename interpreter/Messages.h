#pragma once

#include <string>

// The interpreter's fixed console texts. Each is held as CP932 bytes.
enum class Message {
    UnknownCommand,
    NoDatabase,
    RowsSelected,
    ErrorLine,
    ConnectUsage,
    Connected,
    Disconnected,
    NotConnected,
    DescribeHeader,
    DescribeRule,
    VariableUsage,
    ExecuteUsage,
    BlockCompleted,
    VariableNotDeclared,
    ServerOutputValue,
    NumWidthRange,
    AutoCommitValue,
    HeadingValue,
    ShowUnknown,
    FormatInvalid,
    StatementProcessed,
    WheneverUsage,
    OnOffValue,
    SetUnavailable,
    Elapsed,
    NumWidthInvalid,
    LockWaitRange,
    CommitFailedStillConnected,
    CommitFailedNoExit,
    NulInStatement,
    NoErrors,
    ErrorsOf,
    ErrorsHeader,
    ErrorsRule,
    NumWidthUsage,
    LockWaitUsage,
    ArraySizeRange,
    ArraySizeUsage,
    ServerOutputSize,
    ReplacedCharacters,
    ShowUser,
    NewPassword,
    NewPasswordAgain,
    PasswordMismatch,
    PasswordNotRead,
    PasswordChanged,
    LongRange,
    LongUsage,
};

// The CP932 text of a message; stays valid for the life of the program.
const std::string& MessageText(Message message);

// `format` with its first "%d" replaced by `value` (no other directive is
// read, so the text may hold any bytes).
std::string FormatCount(const std::string& format, long value);
// `format` with its first "%s" replaced by `value`.
std::string FormatText(const std::string& format, const std::string& value);
