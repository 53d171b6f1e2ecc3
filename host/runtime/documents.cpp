// Documents, their databases and the document manager.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "internal.h"

namespace cadhost {

namespace {

const char kDrawingHeader[] = "CADHOST DRAWING 1";

class Iterator : public AcApDocumentIterator {
  public:
    explicit Iterator(std::vector<int> ids) : ids_(std::move(ids)) {}
    bool done() override { return pos_ >= ids_.size(); }
    void step() override {
        if (pos_ < ids_.size()) ++pos_;
    }
    AcApDocument* document() override {
        if (done()) return nullptr;
        Document* doc = docManager().findById(ids_[pos_]);
        if (faults().nullDocument && doc && doc->faulty()) return nullptr;
        return doc;
    }

  private:
    std::vector<int> ids_;
    size_t pos_ = 0;
};

Acad::ErrorStatus statusFromError(DWORD err) {
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return Acad::eFileNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return Acad::eFileSharingViolation;
    default:
        return Acad::eFileAccessErr;
    }
}

bool readDrawing(const std::string& path, std::vector<std::string>& entities) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char line[1024];
    bool ok = std::fgets(line, sizeof line, f) &&
              std::strncmp(line, kDrawingHeader, sizeof kDrawingHeader - 1) == 0;
    while (ok && std::fgets(line, sizeof line, f)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        if (!s.empty()) entities.push_back(s);
    }
    std::fclose(f);
    return ok;
}

} // namespace

DocManager& docManager() {
    static DocManager* m = new DocManager;
    return *m;
}

bool Document::faulty() const {
    const char* only = faults().faultyDrawing;
    if (!only) return true;
    const size_t n = std::strlen(only);
    return path.size() >= n && _stricmp(path.c_str() + path.size() - n, only) == 0;
}

bool Document::isQuiescent() const {
    return busy == 0 && !(scriptRunning && docManager().current == this);
}

const char* Document::fileName() const {
    return faults().noFileName && faulty() ? nullptr : path.c_str();
}

void Document::popDbmod() {
    if (dbmodStack.empty()) return;
    dbmod = dbmodStack.back();
    dbmodStack.pop_back();
}

Acad::ErrorStatus Database::saveAs(const char* fileName) {
    if (!fileName || !*fileName) return Acad::eInvalidInput;
    Faults& f = faults();
    if (f.failSaveAt > 0) {
        int n = ++f.savesSeen;
        if (n == f.failSaveAt || (f.failSavesAfter && n > f.failSaveAt)) {
            transcript("document save failed %s status %d (fault)", fileName,
                       (int)Acad::eFileAccessErr);
            return Acad::eFileAccessErr; // as a full disk: nothing written
        }
    }
    editor().notify("beginSave", fileName,
                    [&](AcEditorReactor* r) { r->beginSave(this, fileName); });
    std::string text = std::string(kDrawingHeader) + "\r\n";
    for (const std::string& e : doc_.entities)
        text += e + "\r\n";
    HANDLE h = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Acad::ErrorStatus es = statusFromError(GetLastError());
        transcript("document save failed %s status %d", fileName, (int)es);
        printLine("Unable to save " + std::string(fileName) + ".");
        return es;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != text.size()) {
        transcript("document save failed %s status %d", fileName, (int)Acad::eFileAccessErr);
        return Acad::eFileAccessErr;
    }
    doc_.dbmod = 0;
    transcript("document saved %s", fileName);
    editor().notify("saveComplete", fileName,
                    [&](AcEditorReactor* r) { r->saveComplete(this, fileName); });
    return Acad::eOk;
}

Document* DocManager::find(const AcApDocument* doc) const {
    for (const auto& d : docs)
        if (d.get() == doc) return d.get();
    return nullptr;
}

Document* DocManager::findById(int id) const {
    for (const auto& d : docs)
        if (d->id == id) return d.get();
    return nullptr;
}

Document* DocManager::add(const std::string& path) {
    docs.push_back(std::make_unique<Document>(nextId++, path));
    current = docs.back().get();
    refreshDrawingList();
    return current;
}

void DocManager::notify(const std::function<void(AcApDocManagerReactor*)>& fn) {
    std::vector<AcApDocManagerReactor*> now = reactors;
    for (AcApDocManagerReactor* r : now)
        if (std::find(reactors.begin(), reactors.end(), r) != reactors.end()) fn(r);
}

Acad::ErrorStatus DocManager::unlockDocument(AcApDocument* doc) {
    Document* d = find(doc);
    if (!d) return Acad::eInvalidInput;
    d->lock = AcAp::kNone;
    transcript("document unlocked %s", d->path.c_str());
    return Acad::eOk;
}

AcApDocumentIterator* DocManager::newAcApDocumentIterator() {
    if (faults().noIterator) return nullptr;
    std::vector<int> ids;
    for (const auto& d : docs)
        ids.push_back(d->id);
    return new Iterator(std::move(ids));
}

void DocManager::addReactor(AcApDocManagerReactor* reactor) {
    if (reactor && std::find(reactors.begin(), reactors.end(), reactor) == reactors.end())
        reactors.push_back(reactor);
}

void DocManager::removeReactor(AcApDocManagerReactor* reactor) {
    reactors.erase(std::remove(reactors.begin(), reactors.end(), reactor), reactors.end());
}

Acad::ErrorStatus DocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode,
                                             bool activate) {
    Document* d = find(doc);
    if (!d) return Acad::eInvalidInput;
    current = d;
    if (mode != AcAp::kNone) {
        d->lock = mode;
        transcript("document current %s locked %d%s", d->path.c_str(), (int)mode,
                   activate ? " activated" : "");
    } else {
        transcript("document current %s", d->path.c_str());
    }
    refreshDrawingList();
    return Acad::eOk;
}

Acad::ErrorStatus DocManager::closeDocument(AcApDocument* doc) {
    Document* d = find(doc);
    if (!d) return Acad::eInvalidInput;
    notify([&](AcApDocManagerReactor* r) { r->documentToBeDestroyed(d); });
    editor().notify("beginClose", d->path.c_str(),
                    [&](AcEditorReactor* r) { r->beginClose(&d->db); });
    broadcast(AcRx::kUnloadDwgMsg);
    std::string path = d->path;
    transcript("document closed %s%s", path.c_str(), d->dbmod ? " (changes discarded)" : "");
    auto it = std::find_if(docs.begin(), docs.end(), [&](const auto& p) { return p.get() == d; });
    std::unique_ptr<Document> gone = std::move(*it);
    docs.erase(it);
    if (current == d) current = docs.empty() ? nullptr : docs.front().get();
    refreshDrawingList();
    notify([&](AcApDocManagerReactor* r) { r->documentDestroyed(path.c_str()); });
    return Acad::eOk;
}

void DocManager::executeInApplicationContext(AcApApplicationContextFn fn, void* data) {
    transcript("application context");
    ++appContextDepth;
    fn(data);
    --appContextDepth;
}

void DocManager::pushResourceHandle(HINSTANCE handle) {
    resourceStack.push_back(AfxGetModuleState()->m_hCurrentResourceHandle);
    AfxGetModuleState()->m_hCurrentResourceHandle = handle;
}

void DocManager::popResourceHandle() {
    if (resourceStack.empty()) return;
    AfxGetModuleState()->m_hCurrentResourceHandle = resourceStack.back();
    resourceStack.pop_back();
}

AcApDocument* openDrawing(const char* path) {
    if (!path) return nullptr;
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    std::string p = (n > 0 && n < MAX_PATH) ? full : path;
    std::vector<std::string> entities;
    editor().notify("beginDwgOpen", p.c_str(),
                    [&](AcEditorReactor* r) { r->beginDwgOpen(p.c_str()); });
    if (!readDrawing(p, entities)) {
        transcript("document open failed %s", p.c_str());
        printLine("Cannot open " + p + ".");
        return nullptr;
    }
    DocManager& m = docManager();
    m.notify([&](AcApDocManagerReactor* r) { r->documentCreateStarted(nullptr); });
    Document* d = m.add(p);
    d->entities = std::move(entities);
    transcript("document opened %s", p.c_str());
    editor().notify("endDwgOpen", p.c_str(), [&](AcEditorReactor* r) { r->endDwgOpen(p.c_str()); });
    m.notify([&](AcApDocManagerReactor* r) { r->documentCreated(d); });
    broadcast(AcRx::kLoadDwgMsg);
    return d;
}

AcApDocument* newDrawing() {
    DocManager& m = docManager();
    std::string name = "Drawing" + std::to_string(m.nextUnnamed++) + ".dwg";
    m.notify([&](AcApDocManagerReactor* r) { r->documentCreateStarted(nullptr); });
    Document* d = m.add(name);
    transcript("document created %s", name.c_str());
    m.notify([&](AcApDocManagerReactor* r) { r->documentCreated(d); });
    broadcast(AcRx::kLoadDwgMsg);
    return d;
}

bool closeAllDrawings() {
    DocManager& m = docManager();
    while (!m.docs.empty())
        if (m.closeDocument(m.docs.front().get()) != Acad::eOk) return false;
    return true;
}

} // namespace cadhost

AcApDocManager* acDocManagerPtr() {
    return &cadhost::docManager();
}

int acedGetVar(const char* name, resbuf* result) {
    if (!name || !result) return RTERROR;
    cadhost::Document* d = cadhost::docManager().current;
    result->rbnext = nullptr;
    if (d && _stricmp(name, "DBMOD") == 0) {
        result->restype = RTSHORT;
        result->resval.rint = (short)d->dbmod;
        return RTNORM;
    }
    if (_stricmp(name, "CMDACTIVE") == 0) {
        result->restype = RTSHORT;
        result->resval.rint = (short)cadhost::commandActiveBits();
        return RTNORM;
    }
    if (_stricmp(name, "CMDNAMES") == 0) { // the caller frees the string with free()
        const std::string names = cadhost::activeCommandNames();
        result->restype = RTSTR;
        result->resval.rstring = _strdup(names.c_str());
        return result->resval.rstring ? RTNORM : RTERROR;
    }
    return RTERROR;
}
