/* lhasa's reader with one accessor more: whether the file just read through lha_reader_read
 * matched the length and CRC its header gives. lha_reader_check and lha_reader_extract check
 * this themselves but read or write the data on their own; the archiver writes it itself. */
#include "lha_reader.c"

int quintar_lha_reader_verified(LHAReader* reader) {
  return reader->inner_decoder != NULL && lha_decoder_get_length(reader->inner_decoder) == reader->curr_file->length &&
         lha_decoder_get_crc(reader->inner_decoder) == reader->curr_file->crc;
}
