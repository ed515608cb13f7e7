// Ogg Vorbis in memory: encoding with libvorbisenc (variable bit rate, a
// fixed stream serial so that the bytes depend on the samples alone) and
// decoding with libvorbisfile, which the build uses to check what it wrote.
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>
#include <algorithm>
#include <cstring>
#include "tools/synth/Synth.h"

static void AppendPage(std::vector<uint8_t> *file, const ogg_page *page)
{
	file->insert(file->end(), page->header, page->header + page->header_len);
	file->insert(file->end(), page->body, page->body + page->body_len);
}

std::vector<uint8_t> EncodeOggVorbis(const float *samples, int64_t frames, int channels,
                                     int rate, float quality, uint32_t serial)
{
	std::vector<uint8_t> file;
	vorbis_info info;
	vorbis_info_init(&info);
	if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
		vorbis_info_clear(&info);
		return file;
	}
	vorbis_comment comment;
	vorbis_comment_init(&comment);
	vorbis_comment_add_tag(&comment, "ENCODER", "zEP synth");
	vorbis_dsp_state dsp;
	vorbis_block block;
	vorbis_analysis_init(&dsp, &info);
	vorbis_block_init(&dsp, &block);
	ogg_stream_state stream;
	ogg_stream_init(&stream, (int)(serial & 0x7FFFFFFF));

	ogg_packet header, headercomment, headercode;
	vorbis_analysis_headerout(&dsp, &comment, &header, &headercomment, &headercode);
	ogg_stream_packetin(&stream, &header);
	ogg_stream_packetin(&stream, &headercomment);
	ogg_stream_packetin(&stream, &headercode);
	ogg_page page;
	while (ogg_stream_flush(&stream, &page)) AppendPage(&file, &page);

	constexpr int64_t Chunk = 1024;
	for (int64_t at = 0;; at += Chunk) {
		int64_t n = std::min(Chunk, frames - at);
		if (n > 0) {
			float **buffer = vorbis_analysis_buffer(&dsp, (int)n);
			for (int64_t i = 0; i < n; i++)
				for (int c = 0; c < channels; c++) buffer[c][i] = samples[(at + i) * channels + c];
			vorbis_analysis_wrote(&dsp, (int)n);
		} else {
			vorbis_analysis_wrote(&dsp, 0); // end of stream
		}
		while (vorbis_analysis_blockout(&dsp, &block) == 1) {
			vorbis_analysis(&block, nullptr);
			vorbis_bitrate_addblock(&block);
			ogg_packet packet;
			while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
				ogg_stream_packetin(&stream, &packet);
				while (ogg_stream_pageout(&stream, &page)) AppendPage(&file, &page);
			}
		}
		if (n <= 0) break;
	}
	while (ogg_stream_flush(&stream, &page)) AppendPage(&file, &page);

	ogg_stream_clear(&stream);
	vorbis_block_clear(&block);
	vorbis_dsp_clear(&dsp);
	vorbis_comment_clear(&comment);
	vorbis_info_clear(&info);
	return file;
}

struct MemoryReader
{
	const std::vector<uint8_t> *file;
	size_t at;
};

static size_t ReadMemory(void *to, size_t size, size_t count, void *source)
{
	MemoryReader *self = (MemoryReader *)source;
	size_t left = self->file->size() - self->at;
	size_t n = size ? std::min(count, left / size) : 0;
	if (n) memcpy(to, self->file->data() + self->at, n * size);
	self->at += n * size;
	return n;
}

static int SeekMemory(void *source, ogg_int64_t offset, int whence)
{
	MemoryReader *self = (MemoryReader *)source;
	ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (ogg_int64_t)self->at
	                                                                : (ogg_int64_t)self->file->size();
	ogg_int64_t to = base + offset;
	if (to < 0 || to > (ogg_int64_t)self->file->size()) return -1;
	self->at = (size_t)to;
	return 0;
}

static long TellMemory(void *source) { return (long)((MemoryReader *)source)->at; }

bool DecodeOggVorbis(const std::vector<uint8_t> &file, std::vector<float> *samples, int *channels, int *rate)
{
	MemoryReader reader = {&file, 0};
	ov_callbacks callbacks = {ReadMemory, SeekMemory, nullptr, TellMemory};
	OggVorbis_File vf;
	if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) != 0) return false;
	vorbis_info *info = ov_info(&vf, -1);
	*channels = info->channels;
	*rate = (int)info->rate;
	samples->clear();
	bool ok = true;
	for (;;) {
		float **pcm;
		int section;
		long n = ov_read_float(&vf, &pcm, 4096, &section);
		if (n == 0) break;
		if (n < 0 || section != 0) {
			ok = false; // damaged data, or a second stream chained on
			break;
		}
		for (long i = 0; i < n; i++)
			for (int c = 0; c < *channels; c++) samples->push_back(pcm[c][i]);
	}
	ov_clear(&vf);
	return ok;
}
