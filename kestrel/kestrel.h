/* libkestrel: the radio library through which the designer and the firmware tool reach the base station
 * and the terminals. Integers are 32-bit; texts are zero-terminated single-byte (Windows-1252) strings.
 * The protocol behind these calls is described in PROTOCOL.md. */
#ifndef KESTREL_KESTREL_H
#define KESTREL_KESTREL_H

#ifdef __cplusplus
extern "C" {
#endif

#define KESTREL_API __attribute__((visibility("default")))

/* Menu upload: menu_init, the tree calls, radio_set_entry, menu_upload, menu_close. */
KESTREL_API int menu_init(int port, int mode, int network); /* below 0: link not opened */
KESTREL_API int radio_make_tree_mkdir(const char* name);
KESTREL_API int radio_make_tree_cd(const char* name);
KESTREL_API int radio_make_tree_cd_back(void);
KESTREL_API int menu_modifier(int plu, const char* block, int button);
KESTREL_API int menu_item(int plu, const char* block, const char* price, int button);
KESTREL_API int menu_item_modifier_group(const char* name, int minimum, int maximum, int defaults);
KESTREL_API int radio_make_tree_modifier_min_max(const char* name, int mandatory, int minimum, int maximum);
KESTREL_API int radio_set_entry(int entry, const char* text);
/* 0: the base stored the whole menu; -1 no link; -2 not stored; -3 not known (the base stopped answering
 * once the whole was sent); -4 cancelled by the progress hook (not stored) */
KESTREL_API int menu_upload(void);
KESTREL_API int menu_close(void);

/* Order reception. */
KESTREL_API int radio_init(int port, int mode, int network, int flags); /* below 0: link not opened */
/* 0 when an order was received: terminal, line count and table are set, and the first 64 lines are written
 * as 8-character fields into the two 512-character buffers. */
KESTREL_API int menu_receive(int* reserved1, int* terminal, int* reserved2, int* count, int* table,
                             char* plu_buffer, char* quantity_buffer);
KESTREL_API int radio_close(void);

/* Firmware tool, serial level. */
KESTREL_API int IO_Open(int port, int baud); /* 0: failure */
KESTREL_API int IO_Close(int port);
KESTREL_API int IO_Write(int port, int length, const char* bytes);
KESTREL_API int IO_Read(int port, int length, char* buffer, int timeout_ms); /* bytes read */

/* Firmware tool, base station. */
KESTREL_API int B_BaseGetStatus(int port, int* baud, char* text); /* 0: failure; text of 25 characters */
KESTREL_API int B_SetBaseName(int port, int baud, const char* name, int reserved1, int reserved2);
KESTREL_API int B_SetBaseRadio(int port, int baud, int reserved1, int khz, int reserved2);
KESTREL_API int B_PutBaseUpload(int port, int baud);
KESTREL_API int B_ClearBaseProgram(int port, int baud);
KESTREL_API int B_Rs232UploadProgram(const char* path, int port);
KESTREL_API int ChangeBaseNameAntenaFast(int port, const char* command); /* non-zero: done */
KESTREL_API int Send_Message_Without_Confirmation_devkit(int port, const char* name, const char* data,
                                                         int length, int mode, int wait);

/* Ours, beyond the calls above: why the last call of the calling thread failed ("" after a success), and
 * the bytes written to and read from serial lines so far. */
KESTREL_API const char* kestrel_last_error(void);
/* The calling thread's transfers (menu_upload, B_Rs232UploadProgram,
 * Send_Message_Without_Confirmation_devkit) tell `callback` how many bytes of how many have left the line,
 * a few times a second; a non-zero result stops the transfer before its end is sent (nothing is stored).
 * A null callback tells nothing. */
KESTREL_API void kestrel_set_progress(int (*callback)(void* context, long long done, long long total),
                                      void* context);
KESTREL_API void kestrel_wire_bytes(long long* written, long long* read);
/* Port `port` means `address` (a device path, tcp://HOST:PORT or rfc2217://HOST:PORT) in this process,
 * before $KESTREL_PORT_N and ports.conf. A port setting that is an address has no number: it is port 0,
 * which maps to nothing until mapped here. NULL or "" removes the mapping. */
KESTREL_API void kestrel_set_port_address(int port, const char* address);

#ifdef __cplusplus
}
#endif

#endif /* KESTREL_KESTREL_H */
