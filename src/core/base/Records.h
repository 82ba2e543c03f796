#pragma once

// Numbers of the language records the code names more than once or by meaning.
// Records used once, in a caption that says what it is, keep their number in place.
namespace Record {
constexpr int UpperCaseUp = 114;
constexpr int UpperCaseDown = 115;
constexpr int ButtonOk = 116;
constexpr int ButtonCancel = 117;
constexpr int PasswordInput = 118;
constexpr int Unknown = 147;
constexpr int Error = 166;
constexpr int TransferError = 167;
constexpr int WrongController = 168;
constexpr int RangeError = 173;
constexpr int ValveTypeNotAvailable = 176;
constexpr int WorkDirAccessError = 177;
constexpr int Directory = 191;
constexpr int DirectoryCannotBeCreated = 192;
constexpr int FileFormatNotValid = 194;
constexpr int FileNameNotValid = 195;
constexpr int WriteFileError = 196;
constexpr int ErrorOpenFile = 198;
constexpr int Warning = 208;
constexpr int SoftwareVersion = 236;
constexpr int CalibrationFactor = 253;
constexpr int VersionIgnoresParameters = 254;
constexpr int NoImpactOnFunction = 255;
constexpr int Remark = 256;
constexpr int DefaultsInsertedInstead = 257;
constexpr int EmptyField = 260;
constexpr int ConnectedController = 262;
constexpr int ParametersOutOfRange = 307;
constexpr int NotFoundCreate = 310;
constexpr int DatabaseNotAvailable = 315;
// Added since: what a number field says of text that is no number.
constexpr int NotANumber = 400;
// Why the factory file cannot be made: inputs whose range the database does not give.
constexpr int RangeNotFound = 401;
// Comparing a set before writing it, and the service logbook.
constexpr int LogbookNotWritten = 402;
constexpr int Compare = 403;
constexpr int WriteTicked = 404;
constexpr int NothingDiffers = 405;
constexpr int Logbook = 406;
constexpr int NotOnThisController = 407;
constexpr int ChangesToday = 408;
constexpr int ColumnController = 409;
constexpr int ColumnSet = 410;
constexpr int ColumnParameter = 411;
constexpr int ColumnUnit = 412;
constexpr int Differences = 413;
constexpr int ColumnTime = 414;
constexpr int ColumnType = 415;
constexpr int ColumnSerial = 416;
constexpr int ColumnAction = 417;
constexpr int ColumnBefore = 418;
constexpr int ColumnAfter = 419;
constexpr int ColumnOutcome = 420;
constexpr int AllSerials = 421;
constexpr int ExportCsv = 422;
constexpr int FirstLogbookAction = 423;  // the actions in the order of TServiceLogbook::Actions()
constexpr int FirstLogbookOutcome = 430; // sent, verified, failed, not sent
constexpr int NoEntries = 434;
} // namespace Record
