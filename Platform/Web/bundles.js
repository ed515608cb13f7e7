// The bundle files the page has fetched (Module.bundles, by file name, as
// Uint8Arrays), handed to the engine's loader (Platform/Web/BundleFile.cpp):
// linked with --js-library beside zep.js.
mergeInto(LibraryManager.library, {
  zep_bundle_size: function(filename) {
    var bytes = (Module['bundles'] || {})[UTF8ToString(filename)];
    return bytes ? bytes.length : -1;
  },
  zep_bundle_take: function(filename, out) {
    var name = UTF8ToString(filename);
    HEAPU8.set(Module['bundles'][name], out);
    delete Module['bundles'][name];
  }
});
