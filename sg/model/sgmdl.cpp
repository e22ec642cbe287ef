// Model files: a 32-bit size word, then the stored block of that many bytes.

#include "platform/core/bytes.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/model/model.h"

SGError SGModelRead(const SGDataPath* dp, const char* name, SGModel** out) {
  std::FILE* file = nullptr;
  if (SGDataPathOpen(dp, name, "rb", &file) != SG_ERROR_NONE) {
    return SG_ERROR_MODEL_OPEN;
  }
  std::uint8_t word[4];
  if (std::fread(word, 1, 4, file) != 4) {
    std::fclose(file);
    return SG_ERROR_MODEL_HEADER;
  }
  const auto size = plat::DecodeLE<std::uint32_t>(word);
  // The size word is checked against the file before the block is allocated.
  if (size > ISGFileRemaining(file)) {
    std::fclose(file);
    return SG_ERROR_MODEL_BODY;
  }
  auto* block = static_cast<std::uint8_t*>(SGMalloc(size));
  if (block == nullptr) {
    std::fclose(file);
    return SG_ERROR_NO_MEMORY;
  }
  const bool whole = std::fread(block, 1, size, file) == size;
  std::fclose(file);
  SGError err = SG_ERROR_MODEL_BODY;
  if (whole) {
    err = SGModelRelocate(block, size, out);
  }
  SGFree(block);
  return err;
}

SGError SGModelWrite(const SGDataPath* dp, const char* name, const SGModel* model) {
  if (model == nullptr) {
    return SG_ERROR_MODEL_HEADER;
  }
  const std::uint32_t size = SGModelPackedSize(model);
  auto* block = size != 0 ? static_cast<std::uint8_t*>(SGMalloc(size)) : nullptr;
  if (block == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  SGError err = SGModelUnrelocate(model, block, size);
  if (err != SG_ERROR_NONE) {
    SGFree(block);
    return err;
  }
  std::FILE* file = nullptr;
  if (SGDataPathOpen(dp, name, "wb", &file) != SG_ERROR_NONE) {
    SGFree(block);
    return SG_ERROR_MODEL_HEADER;
  }
  err = SG_ERROR_MODEL_HEADER;
  if (std::fwrite(block, 1, 4, file) == 4) {
    err = std::fwrite(block, 1, size, file) == size ? SG_ERROR_NONE : SG_ERROR_MODEL_BODY;
  }
  if (std::fclose(file) != 0 && err == SG_ERROR_NONE) {
    err = SG_ERROR_MODEL_BODY;
  }
  SGFree(block);
  return err;
}
