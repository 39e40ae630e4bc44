#pragma once

// Every text the program shows to the user stands here once. A "%s" is filled
// with FormatMessage; the texts are kept exactly as users and scripts know them.
namespace quillory::msg {

// Conversions and settings.
inline constexpr char NotValidInteger[] = "'%s' is not a valid integer value";
inline constexpr char InvalidDataType[] = "Invalid data type for '%s'";
inline constexpr char EmptySetupPath[] =
    "One of the drives/directories is empty - please recheck them.";
inline constexpr char BadPrintWidth[] = "The width of the %s column must be a whole number "
                                        "from 0 to 999. Please revise it and retry.";
inline constexpr char SettingsNotSaved[] = "The settings could not be saved to %s";

// An error that carries no text of its own.
inline constexpr char UnknownError[] = "An unknown error stopped the command";

// Files and the bzip2 codec.
inline constexpr char CannotOpenFile[] = "Cannot open file %s";
inline constexpr char CannotCreateFile[] = "Cannot create file %s";
inline constexpr char CannotReadFile[] = "Cannot read file %s";
inline constexpr char CannotWriteFile[] = "Cannot write file %s";
inline constexpr char CannotDeleteFile[] = "Cannot delete file %s";
// A catalog that failed, told by its file name, then the cause (the codec's
// own text, which names no file): "Backup!3.txt.bz2: BZ_DATA_ERROR".
inline constexpr char CatalogProblem[] = "%s: %s";
// Followed by ": " and the system's reason, as in ": Too many open files".
inline constexpr char CannotReadDirectory[] = "Cannot read the directory %s";
inline constexpr char Bzip2IoError[] = "bzip2: I/O error";

// Commands that need an open database or a result list.
inline constexpr char NoDatabaseOpen[] = "Please do a database search first.";
inline constexpr char NothingToExport[] = "Before exporting please do a database search.";
inline constexpr char NothingToPrint[] = "Before printing please do a database search.";

// Databases.
inline constexpr char SelectDatabaseToDelete[] = "Please select a database to delete.";
inline constexpr char ConfirmDeleteDatabase[] = "Please confirm you wish to delete the database.";
inline constexpr char SelectDatabaseToRename[] = "Please select a database to rename.";
inline constexpr char ErrorRenamingDatabase[] = "Error renaming database.";
inline constexpr char BadDatabaseName[] =
    "Database names cannot include \"/\", \"\\\" or control characters, nor begin with "
    "\".\". Please revise the database name and retry.";
inline constexpr char NoSuchDatabase[] = "There is no database named %s";
inline constexpr char DatabaseExists[] = "A database named %s exists already";
inline constexpr char DatabaseInUse[] =
    "The database %s is in use by another command. Please retry when it has finished";
inline constexpr char DatabaseCannotBeLocked[] =
    "The database %s cannot be locked against other commands, so it is not changed";
inline constexpr char NoDatabaseRoot[] =
    "No database directory is set: give --root DIR or set it in Setup";

// Scanning disks.
inline constexpr char DiskNotAvailable[] = "Disk not available to scan. Please retry.";
inline constexpr char LocationVanished[] = "%s went away while it was being scanned";
inline constexpr char NoInputLocation[] =
    "No disk to scan has been chosen: set the Input Drive in Setup";
inline constexpr char DiskNumberNotInteger[] =
    "Integer values must be used for disk numbers. Please revise the disk number and retry.";
inline constexpr char DiskNameWithBang[] =
    "Disk names cannot include the \"!\" symbol. Please revise the disk name and retry.";
inline constexpr char DiskNameWithSeparator[] =
    "Disk names cannot include \"/\", \"\\\" or control characters. Please revise the disk "
    "name and retry.";
inline constexpr char DiskNameHidden[] =
    "Disk names cannot begin with \".\". Please revise the disk name and retry.";
inline constexpr char DiskNameTooLong[] =
    "The disk name is too long for a catalog file name. Please revise the disk name and retry.";
inline constexpr char SelectFileToRename[] = "Please select a file to rename.";
inline constexpr char SelectFileToDelete[] = "Please select a file to delete.";
inline constexpr char ConfirmDeleteFile[] = "Do you really want to delete this file?";
inline constexpr char ErrorRenamingCatalog[] = "Error renaming catalog.";
inline constexpr char NoSuchCatalog[] = "There is no catalog %s";
inline constexpr char NoCatalogNumbered[] = "No catalog carries the disk number %s";
inline constexpr char SeveralCatalogsNumbered[] =
    "Several catalogs carry the disk number %s: name the disk with --name";

// Command line. Wrong usage is one line on standard error: the program's name,
// the verb's when there is one, and what is wrong.
inline constexpr char WrongUsage[] = "quillory-cli: %s";
inline constexpr char WrongVerbUsage[] = "quillory-cli: %s: %s";
inline constexpr char NoCommandGiven[] = "no command given";
inline constexpr char UnknownCommand[] = "unknown command";
inline constexpr char UnknownOption[] = "unknown option %s";
inline constexpr char ValueMissing[] = "%s requires a value";
inline constexpr char ArgumentRequired[] = "%s is required";
inline constexpr char ValueNotAChoice[] = "%s must be %s";
inline constexpr char LastChoice[] = "%s or %s";
inline constexpr char NotTogether[] = "%s and %s cannot be given together";
inline constexpr char UnexpectedArgument[] = "unexpected argument %s";
inline constexpr char OptionNeedsOther[] = "%s needs %s";
inline constexpr char InvalidOptionValue[] = "invalid %s value %s";
inline constexpr char InvalidRegex[] = "invalid --regex value %s: %s";
// Progress on standard error while it is a terminal.
inline constexpr char ProgressEntries[] = "%s entries";
inline constexpr char ProgressCatalogsRead[] = "%s of %s catalogs read, %s matches";
inline constexpr char ProgressCatalogsConverted[] = "%s of %s catalogs converted";
inline constexpr char ProgressCatalogsIndexed[] = "%s of %s catalogs indexed";
// A settings value that cannot be read, in the file that holds it.
inline constexpr char BadSettingIn[] = "quillory-cli: %s, value %s: %s";
// A command that waits for another holding its database.
inline constexpr char WaitingForDatabase[] =
    "quillory-cli: waiting for another command to finish with the database %s";
// A standard output that refuses what is written (a full disk).
inline constexpr char CannotWriteStandardOutput[] = "Cannot write standard output: %s";
// A search that kept going past catalogs it could not read, each told before.
inline constexpr char CatalogsPassedOver[] =
    "%s of %s catalogs could not be read and were passed over";

// The search index. A catalog without a part is told as a CatalogProblem; the
// index folder by its path.
inline constexpr char NoCacheFolder[] =
    "There is no cache folder for the search index: set HOME or XDG_CACHE_HOME";
inline constexpr char IndexFolderNotOwn[] =
    "The search index folder %s is not used: it is a symbolic link, another user's, or "
    "others can write to it";
inline constexpr char IndexFolderUnusable[] = "The search index cannot be kept in %s: %s";
inline constexpr char IndexFolderOfAnother[] =
    "The search index folder %s is kept for another database";
inline constexpr char IndexNotRemoved[] = "The search index %s could not be removed: %s";
inline constexpr char CatalogTooOddForIndex[] =
    "too large or too odd for the search index; searches read it whole";
inline constexpr char CatalogChangedWhileIndexed[] =
    "changed while it was being indexed; run the index again";
inline constexpr char IndexIncomplete[] = "%s of %s catalogs have no search index part";
inline constexpr char IndexHint[] =
    "quillory-cli: most catalogs of %s are read whole as they are not in the search index; "
    "to search them faster, run quillory-cli index --db %s";

// The "Please Wait!" window while long work runs.
inline constexpr char WaitSearching[] = "     Scanning Database";
inline constexpr char WaitCompressing[] = "Compressing Database";
inline constexpr char WaitDecompressing[] = "Decompressing Database";

// The main window's status panels.
inline constexpr char StatusOpenDatabase[] = "Open Database: %s";
inline constexpr char StatusCatalogCount[] = " (Num Catalogs: %s)                 ";
inline constexpr char StatusScanningDisk[] = "Scanning Disk: %s                 ";
inline constexpr char StatusItemCount[] = "Item count: %s       ";

// Output.
inline constexpr char PrinterNotStarted[] = "The printer could not be started";
inline constexpr char PrinterNewPageFailed[] = "The printer refused a new page";
inline constexpr char PrintJobRefused[] = "The print system did not take the print job: %s";
inline constexpr char PrintSystemUnreachable[] =
    "The print job did not reach the print system, which is not running or cannot be reached at "
    "%s";
inline constexpr char NoSuchPrinter[] =
    "The printer %s does not exist any more. Please choose another printer and retry.";
inline constexpr char PrintJobTitle[] = "Quillory - %s";

} // namespace quillory::msg
