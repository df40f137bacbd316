#include "lib/package/zip_error_text.h"

#include <zip.h>

#include "lib/foundation/format.h"

// What a libzip error code means, as the user reads it.
std::string ZipCodeText(int code) {
  static constexpr struct {
    int code;
    const char* text;
  } kTexts[] = {
      {ZIP_ER_OK, "нет ошибки"},
      {ZIP_ER_MULTIDISK, "многотомные архивы не поддерживаются"},
      {ZIP_ER_RENAME, "не удалось переименовать временный файл"},
      {ZIP_ER_CLOSE, "не удалось закрыть архив"},
      {ZIP_ER_SEEK, "ошибка позиционирования в файле"},
      {ZIP_ER_READ, "ошибка чтения"},
      {ZIP_ER_WRITE, "ошибка записи"},
      {ZIP_ER_CRC, "контрольная сумма (CRC) файла не совпадает"},
      {ZIP_ER_ZIPCLOSED, "архив уже закрыт"},
      {ZIP_ER_NOENT, "файл не найден"},
      {ZIP_ER_EXISTS, "файл уже существует"},
      {ZIP_ER_OPEN, "не удалось открыть файл"},
      {ZIP_ER_TMPOPEN, "не удалось создать временный файл"},
      {ZIP_ER_ZLIB, "ошибка библиотеки сжатия zlib"},
      {ZIP_ER_MEMORY, "недостаточно памяти"},
      {ZIP_ER_CHANGED, "файл в архиве изменён"},
      {ZIP_ER_COMPNOTSUPP, "метод сжатия не поддерживается"},
      {ZIP_ER_EOF, "архив обрывается раньше своего конца"},
      {ZIP_ER_INVAL, "неверный аргумент"},
      {ZIP_ER_NOZIP, "файл не является zip-архивом или обрезан"},
      {ZIP_ER_INTERNAL, "внутренняя ошибка библиотеки zip"},
      {ZIP_ER_INCONS, "архив повреждён: его заголовки не согласуются"},
      {ZIP_ER_REMOVE, "не удалось удалить файл"},
      {ZIP_ER_DELETED, "файл удалён из архива"},
      {ZIP_ER_ENCRNOTSUPP, "метод шифрования не поддерживается"},
      {ZIP_ER_RDONLY, "архив открыт только для чтения"},
      {ZIP_ER_NOPASSWD, "архив зашифрован, а пароль не задан"},
      {ZIP_ER_WRONGPASSWD, "неверный пароль"},
      {ZIP_ER_OPNOTSUPP, "операция не поддерживается"},
      {ZIP_ER_INUSE, "ресурс ещё используется"},
      {ZIP_ER_TELL, "не удалось узнать позицию в файле"},
      {ZIP_ER_COMPRESSED_DATA, "сжатые данные повреждены"},
      {ZIP_ER_CANCELLED, "операция прервана"},
  };
  for (const auto& [known, text] : kTexts) {
    if (known == code) return text;
  }
  return Format("ошибка библиотеки zip [%d]", {code});
}

std::string ArchiveCodeText(const std::string& archive, int code) {
  return Format("Ошибка при работе с архивом [%s]: %s", {archive, ZipCodeText(code)});
}
