/* The boundary between the host adapter (tarnel15.arx, built with the host's
   own compiler against its SDK) and the core (TarnelCore.dll, everything
   else). Plain C that any compiler meets the same way: two tables of
   function pointers, each opening with its size and the port version it was
   built for; opaque handles for drawings; text in caller's buffers or as
   const char* valid for the call. Nothing allocated on one side is freed on
   the other, and no exception crosses: each side stops its own. */
#ifndef TARNEL_HOSTPORT_H
#define TARNEL_HOSTPORT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Every call across the port, whatever either compiler's default. */
#if defined(_WIN32)
#define TARNEL_CALL __cdecl
#else
#define TARNEL_CALL
#endif

/* Raised whenever a table changes in a way an older side cannot meet. A
   side takes a table of its own version only, at least as large as the one
   it was built with (an entry added at the end of a later build is past
   what it reads). */
#define TARNEL_PORT_VERSION 1

/* A drawing (a document) of the host, as the adapter hands it over. */
typedef struct TarnelDrawingTag* TarnelDrawing;
/* Each side's own context, passed back to it on every call. */
typedef struct TarnelHostTag* TarnelHost;
typedef struct TarnelCoreTag* TarnelCore;

/* Results of the host's operations. */
#define TARNEL_DONE 0
#define TARNEL_REFUSED 1 /* the host said no (a save that failed, a locked drawing) */
#define TARNEL_NO_SUCH 2 /* no such drawing or variable */

/* What the core may ask of the host, filled in by the adapter. */
typedef struct TarnelHostOps {
    unsigned long size;    /* sizeof(TarnelHostOps) as the adapter was built */
    unsigned long version; /* TARNEL_PORT_VERSION the adapter was built for */
    TarnelHost host;

    /* The open drawings in the host's order into buffer (at most size of
       them; a null entry where the host gave no drawing): how many there
       are, or -1 when the host cannot list them. */
    int (TARNEL_CALL* listDrawings)(TarnelHost host, TarnelDrawing* buffer, int size);
    int (TARNEL_CALL* drawingCount)(TarnelHost host);
    TarnelDrawing (TARNEL_CALL* currentDrawing)(TarnelHost host);
    /* The drawing's file name into buffer (size bytes, always ended by a
       zero): the length it needs, without the zero; 0 with TARNEL_NO_SUCH
       in *status when the host gives the drawing no name. */
    unsigned long (TARNEL_CALL* drawingFileName)(TarnelHost host, TarnelDrawing drawing, char* buffer,
                                                 unsigned long size, int* status);
    /* Non-zero when the host gives the drawing a database to save. */
    int (TARNEL_CALL* drawingHasDatabase)(TarnelHost host, TarnelDrawing drawing);
    int (TARNEL_CALL* drawingQuiescent)(TarnelHost host, TarnelDrawing drawing);
    int (TARNEL_CALL* saveDrawingAs)(TarnelHost host, TarnelDrawing drawing, const char* path);
    int (TARNEL_CALL* closeDrawing)(TarnelHost host, TarnelDrawing drawing);
    /* Makes the drawing current and locks it for writing, as a close
       needs; unlockDrawing ends the lock. */
    int (TARNEL_CALL* makeCurrentForWrite)(TarnelHost host, TarnelDrawing drawing);
    void (TARNEL_CALL* unlockDrawing)(TarnelHost host, TarnelDrawing drawing);
    /* DBMOD kept across a save as, as the host's own commands keep it. */
    void (TARNEL_CALL* pushDbmod)(TarnelHost host, TarnelDrawing drawing);
    void (TARNEL_CALL* popDbmod)(TarnelHost host, TarnelDrawing drawing);

    /* The editor: a system variable of the current drawing as text into
       buffer, a whole number written in decimal (the length it needs, or 0
       with TARNEL_NO_SUCH in *status); a string to execute as typed. */
    unsigned long (TARNEL_CALL* getVar)(TarnelHost host, const char* name, char* buffer, unsigned long size,
                            int* status);
    int (TARNEL_CALL* sendString)(TarnelHost host, TarnelDrawing drawing, const char* text);
    /* Runs fn(data) in the application's context, as a modeless close must. */
    int (TARNEL_CALL* inApplicationContext)(TarnelHost host, void (TARNEL_CALL* fn)(void* data), void* data);

    /* The application. */
    const char* (TARNEL_CALL* productKey)(TarnelHost host); /* valid while the module is loaded */
    void* (TARNEL_CALL* mainWindow)(TarnelHost host);        /* its HWND */
    /* Takes and dispatches one message, waiting for one; zero once it took
       the host's WM_QUIT, which is left queued again for the host's loop. */
    int (TARNEL_CALL* pumpMessage)(TarnelHost host);
    void (TARNEL_CALL* pushResources)(TarnelHost host, void* module); /* an HINSTANCE; popped in turn */
    void (TARNEL_CALL* popResources)(TarnelHost host);
    void (TARNEL_CALL* lockApplication)(TarnelHost host);
    void (TARNEL_CALL* unlockApplication)(TarnelHost host);
} TarnelHostOps;

/* What the host tells the core, filled in by the core. */
typedef struct TarnelCoreEvents {
    unsigned long size;    /* sizeof(TarnelCoreEvents) as the core was built */
    unsigned long version; /* TARNEL_PORT_VERSION the core was built for */
    TarnelCore core;

    /* The host's application messages, with the host's token of this
       module as the message gave it: non-zero refuses (the module goes). */
    int (TARNEL_CALL* initApp)(TarnelCore core, void* appId);
    int (TARNEL_CALL* unloadApp)(TarnelCore core, void* appId);
    void (TARNEL_CALL* loadDrawing)(TarnelCore core, void* appId);
    /* The editor's and the document manager's reactors. */
    void (TARNEL_CALL* commandWillStart)(TarnelCore core, TarnelDrawing drawing, const char* name);
    void (TARNEL_CALL* commandEnded)(TarnelCore core, TarnelDrawing drawing, const char* name);
    void (TARNEL_CALL* commandCancelled)(TarnelCore core, TarnelDrawing drawing, const char* name);
    void (TARNEL_CALL* commandFailed)(TarnelCore core, TarnelDrawing drawing, const char* name);
    void (TARNEL_CALL* lispWillStart)(TarnelCore core, TarnelDrawing drawing, const char* expression);
    void (TARNEL_CALL* lispEnded)(TarnelCore core, TarnelDrawing drawing);
    void (TARNEL_CALL* lispCancelled)(TarnelCore core, TarnelDrawing drawing);
    void (TARNEL_CALL* drawingCreated)(TarnelCore core, TarnelDrawing drawing);
    void (TARNEL_CALL* drawingToBeDestroyed)(TarnelCore core, TarnelDrawing drawing);
    void (TARNEL_CALL* drawingActivated)(TarnelCore core, TarnelDrawing drawing);
    /* The module's command. */
    void (TARNEL_CALL* optionsCommand)(TarnelCore core);
    /* The adapter is done with the core: the last call. */
    void (TARNEL_CALL* close)(TarnelCore core);
} TarnelCoreEvents;

/* How a side finds the other's table. */
#define TARNEL_PORT_FITS 0
#define TARNEL_PORT_NO_TABLE 1      /* none given */
#define TARNEL_PORT_OTHER_VERSION 2 /* built for another port version */
#define TARNEL_PORT_TOO_SMALL 3     /* smaller than this side reads */

/* The core's one export, looked up by this name: checks the host's table
   (every operation there) and the events table the adapter gives (its size
   and version set), and fills the events; TARNEL_PORT_FITS, or why the core
   refuses. The host's table lives until the events' close. A core that
   refuses a table of another version leaves its own version in
   events->version, for the adapter's sentence, and the rest as it was. */
#define TARNEL_CORE_OPEN "TarnelCoreOpen"
typedef int(TARNEL_CALL* TarnelCoreOpenFn)(const TarnelHostOps* host, TarnelCoreEvents* events);
int TARNEL_CALL TarnelCoreOpen(const TarnelHostOps* host, TarnelCoreEvents* events);

/* Whether a table (size and version first) fits a side built for
   `version` that reads `size` bytes of it. */
int TARNEL_CALL TarnelPortFit(const void* table, unsigned long size, unsigned long version);
/* The sentence for a fit, naming the file the table came from, into buffer
   (always ended by a zero). */
void TARNEL_CALL TarnelPortFitText(int fit, const char* file, unsigned long tableVersion, char* buffer,
                       unsigned long size);

#ifdef __cplusplus
}
#endif

#endif /* TARNEL_HOSTPORT_H */
