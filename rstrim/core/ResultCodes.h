// The library's failure codes with their texts, the one list behind the
// Result enum and the DLL's string resources. rstrim32.rc includes this file
// as well, so it holds nothing but the preprocessor's list. A failure is 0 or
// negative; its text is the string resource whose identifier is the code taken
// as an unsigned 16-bit number. kTooLarge: the bitmap would need more than
// the caller's limit at the requested depth (512 MiB unless it sets another).
#ifndef RSTRIM_CORE_RESULTCODES_H
#define RSTRIM_CORE_RESULTCODES_H

#define RSTRIM_FAILURES(X)                                                     \
  X(kGeneralFailure, 0, "The picture could not be read.")                      \
  X(kFileNotFound, -1, "File not found.")                                      \
  X(kNotThisFormat, -2, "The file is not a picture of this format.")           \
  X(kDamaged, -3, "The picture data are damaged or truncated.")                \
  X(kUnsupported, -4, "This variant of the picture format is not supported.")  \
  X(kTooLarge, -5, "The picture is too large for memory.")                     \
  X(kNameTooLong, -6, "The file name is too long (more than 255 characters).") \
  X(kOutOfMemory, -7, "Out of memory.")                                        \
  X(kReadError, -8, "The file could not be read.")                             \
  X(kBadArgument, -9, "Invalid argument passed to the picture library.")       \
  X(kBitmapFailure, -10, "Windows could not create the bitmap.")

#endif
