// The message table: every text the program shows, by its key in the language file, with the
// built-in texts used when the language file does not give it: Russian, the program's own, and
// English for users whose system asks for another language. The Russian texts are Windows-1251
// bytes, written as escapes so that they do not depend on the encoding of the source file or on
// the compiler's character sets; the comments give them in readable form. The English texts are
// ASCII and are those of samples/murel.lng (a test holds the two together).
#pragma once

namespace murel {

/// A message: its key in the section "strings" of the language file, and its built-in texts.
struct Message {
  const char* key;
  const char* fallback;  ///< Russian, in Windows-1251.
  const char* english;   ///< English, in ASCII.
};

/// Caption of the usage box. Built-in text: "Использование".
inline constexpr Message kUsageCaption{
    "usage", "\xC8\xF1\xEF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xED\xE8\xE5", "Usage"};
/// Usage text: the word that introduces the option list. Built-in text: "Где".
inline constexpr Message kUsageWhere{"where", "\xC3\xE4\xE5", "Where"};
/// Usage text: what "-l" does. Built-in text: "Создавать только список страниц".
inline constexpr Message kHelpList{"help-l",
                                   "\xD1\xEE\xE7\xE4\xE0\xE2\xE0\xF2\xFC \xF2\xEE\xEB\xFC\xEA\xEE "
                                   "\xF1\xEF\xE8\xF1\xEE\xEA \xF1\xF2\xF0\xE0\xED\xE8\xF6",
                                   "Only create the list of pages"};
/// Usage text: what "-e" does. Built-in text: "Экспортировать страницы в формате пригодном для
/// tolvar'а".
inline constexpr Message kHelpTolvar{
    "help-e",
    "\xDD\xEA\xF1\xEF\xEE\xF0\xF2\xE8\xF0\xEE\xE2\xE0\xF2\xFC \xF1\xF2\xF0\xE0\xED\xE8\xF6\xFB "
    "\xE2 \xF4\xEE\xF0\xEC\xE0\xF2\xE5 \xEF\xF0\xE8\xE3\xEE\xE4\xED\xEE\xEC \xE4\xEB\xFF "
    "tolvar'\xE0",
    "Export pages in the format suited to tolvar"};
/// Usage text: what "-h" does. Built-in text: "Показать справочную информацию по использованию
/// программы".
inline constexpr Message kHelpHelp{
    "help-h",
    "\xCF\xEE\xEA\xE0\xE7\xE0\xF2\xFC \xF1\xEF\xF0\xE0\xE2\xEE\xF7\xED\xF3\xFE "
    "\xE8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFE \xEF\xEE "
    "\xE8\xF1\xEF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xED\xE8\xFE \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB",
    "Show help on using the program"};
/// Usage text: what "-nm" does. Built-in text: "Не показывать сообщения об ошибках".
inline constexpr Message kHelpQuiet{
    "help-nm",
    "\xCD\xE5 \xEF\xEE\xEA\xE0\xE7\xFB\xE2\xE0\xF2\xFC \xF1\xEE\xEE\xE1\xF9\xE5\xED\xE8\xFF "
    "\xEE\xE1 \xEE\xF8\xE8\xE1\xEA\xE0\xF5",
    "Do not show error messages"};
/// Usage text: what the path argument is. Built-in text: "Путь куда следует экспортировать файлы".
inline constexpr Message kHelpPath{
    "help_path",
    "\xCF\xF3\xF2\xFC \xEA\xF3\xE4\xE0 \xF1\xEB\xE5\xE4\xF3\xE5\xF2 "
    "\xFD\xEA\xF1\xEF\xEE\xF0\xF2\xE8\xF0\xEE\xE2\xE0\xF2\xFC \xF4\xE0\xE9\xEB\xFB",
    "Path to export the files to"};
/// Usage text: what the url argument is. Built-in text: "Начало гипер ссылок которые нужно
/// экспортировать или * (по умолчанию)".
inline constexpr Message kHelpUrl{
    "help_url",
    "\xCD\xE0\xF7\xE0\xEB\xEE \xE3\xE8\xEF\xE5\xF0 \xF1\xF1\xFB\xEB\xEE\xEA "
    "\xEA\xEE\xF2\xEE\xF0\xFB\xE5 \xED\xF3\xE6\xED\xEE "
    "\xFD\xEA\xF1\xEF\xEE\xF0\xF2\xE8\xF0\xEE\xE2\xE0\xF2\xFC \xE8\xEB\xE8 * (\xEF\xEE "
    "\xF3\xEC\xEE\xEB\xF7\xE0\xED\xE8\xFE)",
    "Beginning of the links to export, or * (the default)"};
/// Caption of the error boxes. Built-in text: "Ошибка".
inline constexpr Message kErrorCaption{"error", "\xCE\xF8\xE8\xE1\xEA\xE0", "Error"};
/// Text of the box shown when the cache walk cannot be opened. Built-in text: "Ошибка при открытии
/// кэша internet explorer'а\nВозможно у вас старая версия internet explorer'а или кэш поврежден".
inline constexpr Message kErrOpenCache{
    "err_opencache",
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 \xEE\xF2\xEA\xF0\xFB\xF2\xE8\xE8 \xEA\xFD\xF8\xE0 "
    "internet explorer'\xE0\n\xC2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xF3 \xE2\xE0\xF1 "
    "\xF1\xF2\xE0\xF0\xE0\xFF \xE2\xE5\xF0\xF1\xE8\xFF internet explorer'\xE0 \xE8\xEB\xE8 "
    "\xEA\xFD\xF8 \xEF\xEE\xE2\xF0\xE5\xE6\xE4\xE5\xED",
    "Error opening the Internet Explorer cache\n"
    "Your Internet Explorer may be an old version, or the cache may be damaged"};
/// Caption of the box shown when a copy fails. Built-in text: "Ошибка копирования".
inline constexpr Message kErrCopyCaption{
    "err_copy", "\xCE\xF8\xE8\xE1\xEA\xE0 \xEA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xED\xE8\xFF",
    "Copy error"};
/// First words of the box for an option the program does not know. Built-in text: "Неизвестный
/// параметр".
inline constexpr Message kErrUnknownOption{
    "err_option", "\xCD\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xFB\xE9 \xEF\xE0\xF0\xE0\xEC\xE5\xF2\xF0",
    "Unknown option"};
/// Text of the box for "-c" without the cache path after it. Built-in text: "После параметра -c
/// должен быть указан путь к кэшу".
inline constexpr Message kErrNoCachePath{
    "err_nocache",
    "\xCF\xEE\xF1\xEB\xE5 \xEF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xE0 -c \xE4\xEE\xEB\xE6\xE5\xED "
    "\xE1\xFB\xF2\xFC \xF3\xEA\xE0\xE7\xE0\xED \xEF\xF3\xF2\xFC \xEA \xEA\xFD\xF8\xF3",
    "The option -c must be followed by the path of the cache"};
/// Text of the box for "--warc" without the archive's path after it. Built-in text: "После
/// параметра --warc должен быть указан путь к файлу архива".
inline constexpr Message kErrNoWarcPath{
    "err_nowarc",
    "\xCF\xEE\xF1\xEB\xE5 \xEF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xE0 --warc \xE4\xEE\xEB\xE6\xE5\xED "
    "\xE1\xFB\xF2\xFC \xF3\xEA\xE0\xE7\xE0\xED \xEF\xF3\xF2\xFC \xEA \xF4\xE0\xE9\xEB\xF3 "
    "\xE0\xF0\xF5\xE8\xE2\xE0",
    "The option --warc must be followed by the path of the archive file"};
/// Text of the box for a command line over its buffer. Built-in text: "Командная строка длиннее
/// 1999 символов".
inline constexpr Message kErrLongCommandLine{
    "err_longcmd",
    "\xCA\xEE\xEC\xE0\xED\xE4\xED\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0 \xE4\xEB\xE8\xED\xED\xE5\xE5 "
    "1999 \xF1\xE8\xEC\xE2\xEE\xEB\xEE\xE2",
    "The command line is longer than 1999 characters"};
/// Text of the box for an export root path over its buffer. Built-in text: "Путь длиннее 299
/// символов".
inline constexpr Message kErrLongPath{
    "err_longpath",
    "\xCF\xF3\xF2\xFC \xE4\xEB\xE8\xED\xED\xE5\xE5 299 \xF1\xE8\xEC\xE2\xEE\xEB\xEE\xE2",
    "The path is longer than 299 characters"};
/// Text of the box for an export root that is empty, cannot be resolved or is too long; the root
/// follows on the next line. Built-in text: "Невозможно использовать путь для экспорта".
inline constexpr Message kErrExportRoot{
    "err_root",
    "\xCD\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xE8\xF1\xEF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xF2\xFC "
    "\xEF\xF3\xF2\xFC \xE4\xEB\xFF \xFD\xEA\xF1\xEF\xEE\xF0\xF2\xE0",
    "The export path cannot be used"};
/// Text of the box for a listing file that cannot be created or written whole; its path follows
/// on the next line. Built-in text: "Невозможно записать файл urls.txt".
inline constexpr Message kErrListing{
    "err_listing",
    "\xCD\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xE7\xE0\xEF\xE8\xF1\xE0\xF2\xFC \xF4\xE0\xE9\xEB "
    "urls.txt",
    "The file urls.txt cannot be written"};
/// Text of the box for a web archive ("--warc") that cannot be created or written whole; its path
/// follows on the next line. Built-in text: "Невозможно записать архив WARC".
inline constexpr Message kErrWarc{"err_warc",
                                  "\xCD\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE "
                                  "\xE7\xE0\xEF\xE8\xF1\xE0\xF2\xFC \xE0\xF0\xF5\xE8\xE2 WARC",
                                  "The WARC archive cannot be written"};
/// Text of the warning box for a body compressed with a coding this build cannot undo; the cache
/// file follows on the next line. Built-in text: "Эта сборка не раскрывает сжатие br и zstd;
/// запустите murel с --raw, чтобы сохранить тело как есть".
inline constexpr Message kErrNotInBuild{
    "err_notinbuild",
    "\xDD\xF2\xE0 \xF1\xE1\xEE\xF0\xEA\xE0 \xED\xE5 \xF0\xE0\xF1\xEA\xF0\xFB\xE2\xE0\xE5\xF2 "
    "\xF1\xE6\xE0\xF2\xE8\xE5 br \xE8 zstd; \xE7\xE0\xEF\xF3\xF1\xF2\xE8\xF2\xE5 murel \xF1 --raw, "
    "\xF7\xF2\xEE\xE1\xFB \xF1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC \xF2\xE5\xEB\xEE \xEA\xE0\xEA "
    "\xE5\xF1\xF2\xFC",
    "This build cannot undo the br and zstd compressions; run murel with --raw to keep the body as "
    "it is"};
/// Words before the list of cache formats looked for in a folder that holds none. Built-in
/// text: "Искали в папке кэша".
inline constexpr Message kErrLookedFor{
    "err_lookedfor", "\xC8\xF1\xEA\xE0\xEB\xE8 \xE2 \xEF\xE0\xEF\xEA\xE5 \xEA\xFD\xF8\xE0",
    "Looked for in the cache folder"};

/// Every message of the table: what a run may look up in the language file.
/// The lines that "--help" shows after the usage text: the options beyond it. Built-in text: "-c
/// cache       - читать этот кэш: файл index.dat или его папку, папку кэша Chromium или
/// Firefox\n--raw          - записывать тела как их хранит кэш, не раскрывая сжатие\n--list-caches
/// - показать кэши этого пользователя и путь для -c\n--version      - показать версию\n--warc file
/// - записать выбранные записи и в этот архив WARC (.gz: сжатый)".
inline constexpr Message kHelpMore{
    "help_more",
    "-c cache       - \xF7\xE8\xF2\xE0\xF2\xFC \xFD\xF2\xEE\xF2 \xEA\xFD\xF8: \xF4\xE0\xE9\xEB "
    "index.dat \xE8\xEB\xE8 \xE5\xE3\xEE \xEF\xE0\xEF\xEA\xF3, \xEF\xE0\xEF\xEA\xF3 "
    "\xEA\xFD\xF8\xE0 Chromium \xE8\xEB\xE8 Firefox\n"
    "--raw          - \xE7\xE0\xEF\xE8\xF1\xFB\xE2\xE0\xF2\xFC \xF2\xE5\xEB\xE0 \xEA\xE0\xEA "
    "\xE8\xF5 \xF5\xF0\xE0\xED\xE8\xF2 \xEA\xFD\xF8, \xED\xE5 "
    "\xF0\xE0\xF1\xEA\xF0\xFB\xE2\xE0\xFF \xF1\xE6\xE0\xF2\xE8\xE5\n"
    "--list-caches  - \xEF\xEE\xEA\xE0\xE7\xE0\xF2\xFC \xEA\xFD\xF8\xE8 \xFD\xF2\xEE\xE3\xEE "
    "\xEF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xF2\xE5\xEB\xFF \xE8 \xEF\xF3\xF2\xFC \xE4\xEB\xFF -c\n"
    "--version      - \xEF\xEE\xEA\xE0\xE7\xE0\xF2\xFC \xE2\xE5\xF0\xF1\xE8\xFE\n"
    "--warc file    - \xE7\xE0\xEF\xE8\xF1\xE0\xF2\xFC \xE2\xFB\xE1\xF0\xE0\xED\xED\xFB\xE5 "
    "\xE7\xE0\xEF\xE8\xF1\xE8 \xE8 \xE2 \xFD\xF2\xEE\xF2 \xE0\xF0\xF5\xE8\xE2 WARC (.gz: "
    "\xF1\xE6\xE0\xF2\xFB\xE9)",
    "-c cache       - read this cache: an index.dat file or its folder, a Chromium or Firefox "
    "cache folder\n"
    "--raw          - write bodies as the cache keeps them, without undoing their compression\n"
    "--list-caches  - list the caches found for this user, with the path to give -c\n"
    "--version      - show the version\n"
    "--warc file    - also write the selected entries into this WARC archive (.gz: compressed)"};

/// The lines that "--help" shows last: the cache formats (%1) and the compressions (%2) this
/// build reads, each a list of names. Built-in text: "Читаемые форматы: %1\nРаскрываемое сжатие:
/// %2".
inline constexpr Message kHelpReads{
    "help_reads",
    "\xD7\xE8\xF2\xE0\xE5\xEC\xFB\xE5 \xF4\xEE\xF0\xEC\xE0\xF2\xFB: %1\n"
    "\xD0\xE0\xF1\xEA\xF0\xFB\xE2\xE0\xE5\xEC\xEE\xE5 \xF1\xE6\xE0\xF2\xE8\xE5: %2",
    "Formats read: %1\nCompressions undone: %2"};

/// Progress line on a terminal: entries done, files written. Built-in text: "записей: %1, записано
/// файлов: %2".
inline constexpr Message kProgress{
    "progress",
    "\xE7\xE0\xEF\xE8\xF1\xE5\xE9: %1, \xE7\xE0\xEF\xE8\xF1\xE0\xED\xEE "
    "\xF4\xE0\xE9\xEB\xEE\xE2: %2",
    "%1 entries, %2 files written"};
/// Progress line on a terminal when the reader knows the total: entries done, of how many, files
/// written. Built-in text: "записей: %1 из %2, записано файлов: %3".
inline constexpr Message kProgressOfTotal{
    "progress_total",
    "\xE7\xE0\xEF\xE8\xF1\xE5\xE9: %1 \xE8\xE7 %2, "
    "\xE7\xE0\xEF\xE8\xF1\xE0\xED\xEE \xF4\xE0\xE9\xEB\xEE\xE2: %3",
    "%1 of %2 entries, %3 files written"};
/// Summary line at the end of a run on a terminal: entries seen, exported, unchanged, not
/// selected, without a body, failed. Built-in text: "записей: %1, экспортировано: %2, без
/// изменений: %3, не выбрано: %4, без тела: %5, с ошибкой: %6".
inline constexpr Message kSummary{
    "summary",
    "\xE7\xE0\xEF\xE8\xF1\xE5\xE9: %1, "
    "\xFD\xEA\xF1\xEF\xEE\xF0\xF2\xE8\xF0\xEE\xE2\xE0\xED\xEE: %2, \xE1\xE5\xE7 "
    "\xE8\xE7\xEC\xE5\xED\xE5\xED\xE8\xE9: %3, \xED\xE5 "
    "\xE2\xFB\xE1\xF0\xE0\xED\xEE: %4, \xE1\xE5\xE7 \xF2\xE5\xEB\xE0: %5, \xF1 "
    "\xEE\xF8\xE8\xE1\xEA\xEE\xE9: %6",
    "%1 entries seen, %2 exported, %3 unchanged, %4 not selected, %5 without a body, %6 failed"};
/// Caption of the list of caches (--list-caches). Built-in text: "Кэши, которые murel может
/// прочитать (формат, записей, размер, путь для -c)".
inline constexpr Message kListCaption{
    "list_caption",
    "\xCA\xFD\xF8\xE8, \xEA\xEE\xF2\xEE\xF0\xFB\xE5 murel \xEC\xEE\xE6\xE5\xF2 "
    "\xEF\xF0\xEE\xF7\xE8\xF2\xE0\xF2\xFC (\xF4\xEE\xF0\xEC\xE0\xF2, "
    "\xE7\xE0\xEF\xE8\xF1\xE5\xE9, \xF0\xE0\xE7\xEC\xE5\xF0, \xEF\xF3\xF2\xFC "
    "\xE4\xEB\xFF -c)",
    "Caches murel can read (format, entries, size, path for -c)"};
/// Text of the list of caches when none is found. Built-in text: "Для этого пользователя кэш не
/// найден.".
inline constexpr Message kListNone{
    "list_none",
    "\xC4\xEB\xFF \xFD\xF2\xEE\xE3\xEE "
    "\xEF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xF2\xE5\xEB\xFF \xEA\xFD\xF8 \xED\xE5 "
    "\xED\xE0\xE9\xE4\xE5\xED.",
    "No cache found for this user."};

/// Reason of a failed copy: the reader refused the content's place. Built-in text: "файл кэша лежит
/// вне папки кэша или за ссылкой и не читается".
inline constexpr Message kWhyUnsafe{
    "why_unsafe",
    "\xF4\xE0\xE9\xEB \xEA\xFD\xF8\xE0 \xEB\xE5\xE6\xE8\xF2 \xE2\xED\xE5 \xEF\xE0\xEF\xEA\xE8 "
    "\xEA\xFD\xF8\xE0 \xE8\xEB\xE8 \xE7\xE0 \xF1\xF1\xFB\xEB\xEA\xEE\xE9 \xE8 \xED\xE5 "
    "\xF7\xE8\xF2\xE0\xE5\xF2\xF1\xFF",
    "the cache file lies outside the cache folder or behind a link, and is not read"};
/// Reason of a failed copy: the URL leads out of the export root. Built-in text: "цель оказалась бы
/// вне папки экспорта".
inline constexpr Message kWhyOutsideRoot{
    "why_outside",
    "\xF6\xE5\xEB\xFC \xEE\xEA\xE0\xE7\xE0\xEB\xE0\xF1\xFC \xE1\xFB \xE2\xED\xE5 "
    "\xEF\xE0\xEF\xEA\xE8 \xFD\xEA\xF1\xEF\xEE\xF0\xF2\xE0",
    "the target would lie outside the export folder"};
/// Reason of a failed copy: the local file is a link, pipe or folder. Built-in text: "файл кэша не
/// является обычным файлом".
inline constexpr Message kWhyNotRegular{
    "why_notfile",
    "\xF4\xE0\xE9\xEB \xEA\xFD\xF8\xE0 \xED\xE5 \xFF\xE2\xEB\xFF\xE5\xF2\xF1\xFF "
    "\xEE\xE1\xFB\xF7\xED\xFB\xEC \xF4\xE0\xE9\xEB\xEE\xEC",
    "the cache file is not an ordinary file"};
/// Reason of a failed copy: the cache file cannot be opened or read; %1 is the system's reason.
/// Built-in text: "невозможно прочитать файл кэша: %1".
inline constexpr Message kWhyCannotRead{
    "why_read",
    "\xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xEF\xF0\xEE\xF7\xE8\xF2\xE0\xF2\xFC "
    "\xF4\xE0\xE9\xEB \xEA\xFD\xF8\xE0: %1",
    "the cache file cannot be read: %1"};
/// Reason of a failed copy: the cache file ends before the body does. Built-in text: "файл кэша не
/// содержит тело целиком".
inline constexpr Message kWhyShortSource{
    "why_short",
    "\xF4\xE0\xE9\xEB \xEA\xFD\xF8\xE0 \xED\xE5 \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 \xF2\xE5\xEB\xEE "
    "\xF6\xE5\xEB\xE8\xEA\xEE\xEC",
    "the cache file does not hold the whole body"};
/// Reason of a failed copy: the target cannot be written; %1 is the system's reason. Built-in text:
/// "невозможно записать цель: %1".
inline constexpr Message kWhyCannotWrite{"why_write",
                                         "\xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE "
                                         "\xE7\xE0\xEF\xE8\xF1\xE0\xF2\xFC \xF6\xE5\xEB\xFC: %1",
                                         "the target cannot be written: %1"};
/// Reason of a failed copy: a folder stands at the target's name. Built-in text: "цель является
/// папкой".
inline constexpr Message kWhyTargetFolder{
    "why_folder", "\xF6\xE5\xEB\xFC \xFF\xE2\xEB\xFF\xE5\xF2\xF1\xFF \xEF\xE0\xEF\xEA\xEE\xE9",
    "the target is a folder"};
/// Reason of a failed copy: the stored bytes are no valid stream of their codings, named in %1.
/// Built-in text: "тело невозможно раскрыть (%1)".
inline constexpr Message kWhyNotDecodable{
    "why_decode",
    "\xF2\xE5\xEB\xEE \xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xF0\xE0\xF1\xEA\xF0\xFB\xF2\xFC "
    "(%1)",
    "the body cannot be decoded (%1)"};
/// Reason of a failed copy: the body names more content codings than murel undoes; the codings
/// in %1. Built-in text: "у тела слишком много слоёв сжатия (%1)".
inline constexpr Message kWhyTooManyCodings{
    "why_codings",
    "\xF3 \xF2\xE5\xEB\xE0 \xF1\xEB\xE8\xF8\xEA\xEE\xEC \xEC\xED\xEE\xE3\xEE \xF1\xEB\xEE\xB8\xE2 "
    "\xF1\xE6\xE0\xF2\xE8\xFF (%1)",
    "the body names more codings than murel undoes (%1)"};
/// Reason of a failed copy: the decoded body passes its bound, %1 bytes. Built-in text: "раскрытое
/// тело превысило бы %1 байт".
inline constexpr Message kWhyTooLarge{
    "why_large",
    "\xF0\xE0\xF1\xEA\xF0\xFB\xF2\xEE\xE5 \xF2\xE5\xEB\xEE \xEF\xF0\xE5\xE2\xFB\xF1\xE8\xEB\xEE "
    "\xE1\xFB %1 \xE1\xE0\xE9\xF2",
    "the decoded body would pass %1 bytes"};
/// Reason of a failed entry: it cannot be put into the "--warc" archive (its headers hold
/// control bytes, or its body cannot be read). Built-in text: "запись невозможно поместить в
/// веб-архив".
inline constexpr Message kWhyNotArchived{
    "why_warc",
    "\xE7\xE0\xEF\xE8\xF1\xFC \xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE "
    "\xEF\xEE\xEC\xE5\xF1\xF2\xE8\xF2\xFC \xE2 \xE2\xE5\xE1-\xE0\xF0\xF5\xE8\xE2",
    "the entry cannot be put into the web archive"};
/// Words before the folders where "--help" says the configuration files are looked for. Built-in
/// text: "murel.ini (правила) и murel.lng (тексты) ищутся в таком порядке".
inline constexpr Message kHelpConfig{
    "help_config",
    "murel.ini (\xEF\xF0\xE0\xE2\xE8\xEB\xE0) \xE8 murel.lng (\xF2\xE5\xEA\xF1\xF2\xFB) "
    "\xE8\xF9\xF3\xF2\xF1\xFF \xE2 \xF2\xE0\xEA\xEE\xEC \xEF\xEE\xF0\xFF\xE4\xEA\xE5",
    "murel.ini (the rules) and murel.lng (the texts) are looked for in this order"};
/// Words before the rules file that a run started in the current folder uses, as "--help" tells
/// it. Built-in text: "Используемые правила".
inline constexpr Message kHelpRulesUsed{
    "help_rules", "\xC8\xF1\xEF\xEE\xEB\xFC\xE7\xF3\xE5\xEC\xFB\xE5 \xEF\xF0\xE0\xE2\xE8\xEB\xE0",
    "Rules in use"};
/// What "--help" says when no rules file is found. Built-in text: "Используемые правила: файл не
/// найден, каждый URL используется как путь без изменений".
inline constexpr Message kHelpNoRules{
    "help_norules",
    "\xC8\xF1\xEF\xEE\xEB\xFC\xE7\xF3\xE5\xEC\xFB\xE5 \xEF\xF0\xE0\xE2\xE8\xEB\xE0: "
    "\xF4\xE0\xE9\xEB \xED\xE5 \xED\xE0\xE9\xE4\xE5\xED, \xEA\xE0\xE6\xE4\xFB\xE9 URL "
    "\xE8\xF1\xEF\xEE\xEB\xFC\xE7\xF3\xE5\xF2\xF1\xFF \xEA\xE0\xEA \xEF\xF3\xF2\xFC \xE1\xE5\xE7 "
    "\xE8\xE7\xEC\xE5\xED\xE5\xED\xE8\xE9",
    "Rules in use: none found, so each URL is used as a path as it is"};
/// Text of the box at the end of a run in which entries failed and no rules file was found; the
/// folders looked in follow. Built-in text: "Файл правил murel.ini не найден, поэтому каждый URL
/// использован как путь без изменений. Искали в папках".
inline constexpr Message kErrNoRules{
    "err_norules",
    "\xD4\xE0\xE9\xEB \xEF\xF0\xE0\xE2\xE8\xEB murel.ini \xED\xE5 \xED\xE0\xE9\xE4\xE5\xED, "
    "\xEF\xEE\xFD\xF2\xEE\xEC\xF3 \xEA\xE0\xE6\xE4\xFB\xE9 URL "
    "\xE8\xF1\xEF\xEE\xEB\xFC\xE7\xEE\xE2\xE0\xED \xEA\xE0\xEA \xEF\xF3\xF2\xFC \xE1\xE5\xE7 "
    "\xE8\xE7\xEC\xE5\xED\xE5\xED\xE8\xE9. \xC8\xF1\xEA\xE0\xEB\xE8 \xE2 \xEF\xE0\xEF\xEA\xE0\xF5",
    "No rules file murel.ini was found, so each URL was used as a path as it is. Looked for in the "
    "folders"};

inline constexpr const Message* kAllMessages[] = {
    &kUsageCaption,    &kUsageWhere,         &kHelpList,          &kHelpTolvar,
    &kHelpHelp,        &kHelpQuiet,          &kHelpPath,          &kHelpUrl,
    &kErrorCaption,    &kErrOpenCache,       &kErrCopyCaption,    &kErrUnknownOption,
    &kErrNoCachePath,  &kErrLongCommandLine, &kErrLongPath,       &kErrExportRoot,
    &kErrListing,      &kErrNotInBuild,      &kErrLookedFor,      &kHelpMore,
    &kHelpReads,       &kProgress,           &kProgressOfTotal,   &kSummary,
    &kListCaption,     &kListNone,           &kWhyUnsafe,         &kWhyOutsideRoot,
    &kWhyNotRegular,   &kWhyCannotRead,      &kWhyShortSource,    &kWhyCannotWrite,
    &kWhyTargetFolder, &kWhyNotDecodable,    &kWhyTooManyCodings, &kWhyTooLarge,
    &kWhyNotArchived,  &kHelpConfig,         &kHelpRulesUsed,     &kHelpNoRules,
    &kErrNoRules,      &kErrNoWarcPath,      &kErrWarc,
};

}  // namespace murel
