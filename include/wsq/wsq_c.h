#ifndef WSQ_WSQ_C_H
#define WSQ_WSQ_C_H
/* The WSQ codec's C interface: decode and encode codestreams held in memory.
   Every function returns 0 or one of the codec's negative codes (the values
   of wsq::Error); wsq_c_error_text names them. Buffers the library returns
   are released with wsq_c_free. */
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct wsq_c_options {
  uint64_t max_pixels; /* images of more pixels are refused (-24) */
  int32_t threads;     /* threads one call may use; 0: every core (at most 64) */
  int32_t quiet;       /* nonzero: no diagnostic texts on standard error */
} wsq_c_options;

typedef struct wsq_c_image {
  int32_t width;
  int32_t height;
  int32_t ppi;         /* -1 when not stated */
  uint8_t* pixels;     /* width * height grey values, top row first */
  char* comment;       /* the last comment before the first block, or NULL */
} wsq_c_image;

/* A limit of 100 million pixels, every core, messages on. */
wsq_c_options wsq_c_default_options(void);

/* Decodes `length` bytes. On success fills `image`, whose buffers the caller
   releases with wsq_c_free_image; on failure leaves it untouched. `options`
   may be NULL for the defaults. */
int32_t wsq_c_decode(const uint8_t* data, size_t length, const wsq_c_options* options,
                     wsq_c_image* image);

/* Encodes width x height grey pixels at `bitrate` bits per pixel, recording
   `ppi` (-1: none) and `comment` (may be NULL). On success stores a buffer
   the caller releases with wsq_c_free, and its length. */
int32_t wsq_c_encode(const uint8_t* pixels, int32_t width, int32_t height, float bitrate,
                     int32_t ppi, const char* comment, const wsq_c_options* options,
                     uint8_t** codestream, size_t* length);

void wsq_c_free(void* buffer);
/* Releases the image's buffers and clears its pointers. */
void wsq_c_free_image(wsq_c_image* image);

/* A short English text for the code. */
const char* wsq_c_error_text(int32_t code);

#ifdef __cplusplus
}
#endif

#endif
