/* The check each side of the port makes of the other's table. */
#include "port/hostport.h"
#include <stdio.h>
#include <string.h>

/* Every table opens with these. */
typedef struct TableHead {
    unsigned long size;
    unsigned long version;
} TableHead;

int TARNEL_CALL TarnelPortFit(const void* table, unsigned long size, unsigned long version) {
    const TableHead* head = (const TableHead*)table;
    if (!head) return TARNEL_PORT_NO_TABLE;
    if (head->version != version) return TARNEL_PORT_OTHER_VERSION;
    if (head->size < size) return TARNEL_PORT_TOO_SMALL;
    return TARNEL_PORT_FITS;
}

void TARNEL_CALL TarnelPortFitText(int fit, const char* file, unsigned long tableVersion, char* buffer,
                       unsigned long size) {
    char text[512];
    if (!buffer || size == 0) return;
    switch (fit) {
    case TARNEL_PORT_FITS:
        text[0] = '\0';
        break;
    case TARNEL_PORT_NO_TABLE:
        sprintf(text, "%.300s gave no table of its operations.", file);
        break;
    case TARNEL_PORT_OTHER_VERSION:
        sprintf(text,
                "%.300s is built for port version %lu, and this one for version %d: install "
                "both from one package.",
                file, tableVersion, TARNEL_PORT_VERSION);
        break;
    default:
        sprintf(text, "%.300s has fewer operations than this version needs: install both from "
                      "one package.",
                file);
        break;
    }
    strncpy(buffer, text, size - 1);
    buffer[size - 1] = '\0';
}
